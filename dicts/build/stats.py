#!/usr/bin/python3
"""Usage: stats.py LANG FILE. Prints lines, lines that load and distinct loaded words.

A line loads when, trimmed and lower-cased, it is non-empty, does not start with '#',
and every code point is of the list's script: Cyrillic or '-' for ru; a Latin letter,
'-' or an apostrophe for en. Exits non-zero when the file has a BOM or a carriage return.
"""
import sys
import unicodedata


def is_cyrillic(ch):
    # The Cyrillic blocks; the standard library has no Script property.
    cp = ord(ch)
    return 0x0400 <= cp <= 0x052F or 0x1C80 <= cp <= 0x1C8F or 0x2DE0 <= cp <= 0x2DFF or 0xA640 <= cp <= 0xA69F


def is_latin_letter(ch):
    return ch.isalpha() and unicodedata.name(ch, "").startswith("LATIN ")


def loads(line, lang):
    if lang == "ru":
        return all(ch == "-" or is_cyrillic(ch) for ch in line)
    return all(ch in "-'" or is_latin_letter(ch) for ch in line)


def main():
    lang, path = sys.argv[1], sys.argv[2]
    data = open(path, "rb").read()
    if data.startswith(b"\xef\xbb\xbf") or b"\r" in data or not data.endswith(b"\n"):
        sys.exit(f"{path}: must be UTF-8 without BOM, LF line ends, final LF")
    lines = data.decode("utf-8").split("\n")[:-1]
    loaded = []
    for line in lines:
        w = line.strip().lower()
        if w and not w.startswith("#") and loads(w, lang):
            loaded.append(w)
    print(f"{path}: {len(lines)} lines, {len(loaded)} load, {len(set(loaded))} distinct words")


if __name__ == "__main__":
    main()
