#!/usr/bin/python3
"""Builds dicts/en_freq.txt: English words and names, lower case, in byte order.

Usage: build_en.py SCOWL_DIR RU_LIST OUTFILE
SCOWL_DIR is the folder of the Debian package scowl (/usr/share/dict/scowl); RU_LIST is
the Russian list built before (dicts/ru_freq.txt).

The words are SCOWL sizes 10 to 70, the spellings shared by all dialects plus the
American ones, kept when they are plain lower-case a-z words (apostrophes allowed). The
capitalised words (India, British) and proper names (Nepal, Venice) of the same sizes
are added lower-cased, where they are plain a-z words; abbreviations and accented words
are left out. On top of that:
  * possessives (word's) whose base word is listed are left out: the detector finds them
    through the English stem;
  * the contractions up to size 40 are added lower-cased (don't, I'll, we've): the stem
    does not reduce them, and size 40 is where SCOWL files I'll, I'd and we'll;
  * a word of one or two letters is taken only from sizes 10 to 35: beyond them such
    entries are symbols and abbreviations (Sn, Ac), and two Latin letters are too often
    a Russian word typed on the wrong layout;
  * a word beyond sizes 10 and 20 whose keys typed on the Russian layout spell a word of
    the Russian list is left out, so that the Russian reading wins for the rarer English
    word (tot stays еще).
The sizes were chosen by measuring the detector on development corpora: larger sizes
restore more English typed on the Russian layout and leave more English names alone,
without more false corrections of Russian or English typed right.
"""
import os
import re
import sys

SIZES = [10, 20, 35, 40, 50, 55, 60, 70]
SHORT_WORD_SIZES = [10, 20, 35]
SHORT_WORD = 2  # letters, at most
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
    names = {w.lower() for w in read(src, "upper", SIZES) | read(src, "proper-names", SIZES)}
    words |= {w for w in names if WORD_RE.fullmatch(w)}
    short = {w for w in read(src, "words", SHORT_WORD_SIZES) if WORD_RE.fullmatch(w)}
    words = {w for w in words if len(w) > SHORT_WORD or w in short}
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
