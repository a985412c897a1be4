#!/usr/bin/python3
"""Builds dicts/en_freq.txt: common English words, lower case, in byte order.

Usage: build_en.py SCOWL_DIR RU_LIST OUTFILE
SCOWL_DIR is the folder of the Debian package scowl (/usr/share/dict/scowl); RU_LIST is
the Russian list built before (dicts/ru_freq.txt).

The words are SCOWL sizes 10 to 35 (wamerican-small's range), the spellings shared by all
dialects plus the American ones, kept when they are plain lower-case a-z words
(apostrophes allowed); capitalised names, abbreviations and accented words are left out.
On top of that:
  * possessives (word's) whose base word is listed are left out: the detector finds them
    through the English stem;
  * the contractions up to size 40 are added lower-cased (don't, I'll, we've): the stem
    does not reduce them, and size 40 is where SCOWL files I'll, I'd and we'll;
  * a word of size 35 (not 10 or 20) whose keys typed on the Russian layout spell a word
    of the Russian list is left out, so that the Russian reading wins for the rarer
    English word (tot stays еще).
"""
import os
import re
import sys

SIZES = [10, 20, 35]
CONTRACTION_SIZES = [10, 20, 35, 40]
COMMON_SIZES = [10, 20]
DIALECTS = ["english", "american"]
WORD_RE = re.compile(r"[a-z][a-z']*")

QWERTY = "qwertyuiop[]asdfghjkl;'zxcvbnm,.`"
RUSSIAN = "йцукенгшщзхъфывапролджэячсмитьбюё"
TO_RUSSIAN = str.maketrans(QWERTY, RUSSIAN)


def read(src, category, sizes):
    words = set()
    for dialect in DIALECTS:
        for size in sizes:
            path = os.path.join(src, f"{dialect}-{category}.{size}")
            if os.path.exists(path):
                with open(path, encoding="utf-8") as f:
                    words.update(line.strip() for line in f if line.strip())
    return words


def main():
    src, ru_path, out_path = sys.argv[1], sys.argv[2], sys.argv[3]
    with open(ru_path, encoding="utf-8") as f:
        russian = {line.strip() for line in f}

    words = {w for w in read(src, "words", SIZES) if WORD_RE.fullmatch(w)}
    common = {w for w in read(src, "words", COMMON_SIZES) if WORD_RE.fullmatch(w)}
    words = {w for w in words if not (w.endswith("'s") and w[:-2] in words)}
    rarer_colliding = {w for w in words - common if w.translate(TO_RUSSIAN) in russian}
    words -= rarer_colliding
    contractions = {w.lower() for w in read(src, "contractions", CONTRACTION_SIZES)}
    words |= {w for w in contractions if WORD_RE.fullmatch(w)}
    print(f"  en: {len(contractions)} contractions, left out for Russian: "
          f"{' '.join(sorted(rarer_colliding))}", file=sys.stderr)

    out = sorted(words, key=lambda w: w.encode("utf-8"))
    with open(out_path, "w", encoding="utf-8", newline="\n") as f:
        f.write("".join(w + "\n" for w in out))


if __name__ == "__main__":
    main()
