#!/usr/bin/python3
"""Builds dicts/ru_forms.txt: Russian word forms that end in ю, б or ж.

Usage: build_forms.py OUTFILE

The Russian list holds mostly dictionary forms. The detector needs to know whether a word
typed on QWERTY and ending in the full stop, comma or semicolon key (ю, б, ж on the Russian
layout) is a whole Russian word form, such as умолчанию or общественную, before it reads
that key as punctuation. This expands every entry of hunspell-ru with its suffix rules
(ru_RU.aff has suffixes only, one level, no continuation classes) and keeps the forms that
end in one of those three letters: lower case, ё written as е, Cyrillic letters and
hyphens only, sorted, one a line.

unmunch (hunspell-tools) is not used: it drops the rules whose strip is longer than one
letter in UTF-8 dictionaries (рисовать gives no рисую).
Needs only the standard library.
"""
import re
import sys

HUNSPELL = "/usr/share/hunspell/ru_RU"
FINAL_LETTERS = "юбж"
CYR_WORD_RE = re.compile(r"^[а-яё]+(?:-[а-яё]+)*$")


def fold(word):
    return word.lower().replace("ё", "е")


def condition_re(cond):
    """A hunspell condition ('.', literal letters, [abc], [^abc]) as a regex on the word's end."""
    if cond == ".":
        return re.compile("")
    return re.compile("(?:" + "".join(
        atom if atom.startswith("[") else "." if atom == "." else re.escape(atom)
        for atom in re.findall(r"\[[^]]*\]|.", cond)) + r")\Z")


def read_rules():
    """flag -> list of (strip, add, condition regex)."""
    rules = {}
    with open(HUNSPELL + ".aff", encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            if len(parts) == 5 and parts[0] == "SFX":
                _, flag, strip, add, cond = parts
                strip = "" if strip == "0" else strip
                add = "" if add == "0" else add
                rules.setdefault(flag, []).append((strip, add, condition_re(cond)))
            elif parts and parts[0] in ("PFX", "FLAG", "COMPLEXPREFIXES", "CIRCUMFIX", "NEEDAFFIX"):
                sys.exit(f"build_forms.py: unexpected affix feature {parts[0]}; extend the expander")
    return rules


def forms_of(word, flags, rules):
    yield word
    for flag in flags:
        for strip, add, cond in rules.get(flag, ()):
            if word.endswith(strip) and cond.search(word):
                yield word[:len(word) - len(strip)] + add


def main():
    out_path = sys.argv[1]
    rules = read_rules()
    forms = set()
    with open(HUNSPELL + ".dic", encoding="utf-8") as f:
        next(f)  # entry count
        for line in f:
            word, _, flags = line.strip().partition("/")
            if not word:
                continue
            for form in forms_of(word, flags, rules):
                form = fold(form)
                if form[-1] in FINAL_LETTERS and CYR_WORD_RE.match(form):
                    forms.add(form)
    with open(out_path, "w", encoding="utf-8", newline="\n") as f:
        f.write("".join(w + "\n" for w in sorted(forms)))
    print(f"  ru forms ending in {FINAL_LETTERS}: {len(forms)}", file=sys.stderr)


if __name__ == "__main__":
    main()
