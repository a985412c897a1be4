#!/usr/bin/python3
"""Builds dicts/ru_freq.txt: Russian words, most frequent first, mostly dictionary forms.

Usage: build_ru.py WORKDIR OUTFILE
WORKDIR holds the unpacked inputs prepared by build.sh (see there).

Order of the list:
  1. the subtitle frequency list, rank by rank: a form that is a hunspell entry itself;
     otherwise the form's hunspell lemmas, then the form (frequent inflected forms such as
     "было" get small ranks too); forms unknown to hunspell only when another source
     attests them;
  2. the other hunspell lemmas, by a score summed over Debian text sources,
     weight * log(1 + count per million), ties by shorter word, then byte order;
  3. the remaining hunspell entries, flagged ones (real lemmas) first, shorter first;
words of two letters are kept only when hunspell has them written in lower case and a
running text (subtitles, mueller7, festvox prompts, LibreOffice help) has them, so unit
symbols, abbreviations and letter names (Гц, шт, ер) that only word lists attest go;
cut at RU_TOTAL lines. Every word is lower case with е for ё.
Needs only the standard library and the hunspell binary.
"""
import gzip
import html
import math
import os
import re
import subprocess
import sys

RU_TOTAL = 91000
HUNSPELL_DIC = "/usr/share/hunspell/ru_RU"

# weight, kind: "text" sources count running words, "attest" sources count distinct forms.
SOURCES = [
    ("mueller7", 1.0, "text"),
    ("festvox_prompts", 1.0, "text"),
    ("libreoffice_help", 0.4, "text"),
    ("tesseract_words", 0.3, "attest"),
    ("festvox_lexicon", 0.3, "attest"),
]

# Words this short are kept only with running-text evidence (see keep_short).
SHORT_MAX = 2
TEXT_SOURCES = ["mueller7", "festvox_prompts", "libreoffice_help"]

# One-letter forms unknown to hunspell that are real particles (же, бы), unlike stray letters.
SHORT_PARTICLES = {"ж", "б"}

WORD_RE = re.compile(r"[а-яё]+")
CYR_WORD_RE = re.compile(r"^[а-яё]+(?:-[а-яё]+)*$")


def fold(word):
    return word.lower().replace("ё", "е")


def tokens(text):
    return WORD_RE.findall(text.lower())


def read_universe():
    """hunspell entries, lower case, ё folded: word -> whether it carries affix flags."""
    universe = {}
    with open(HUNSPELL_DIC + ".dic", encoding="utf-8") as f:
        next(f)  # entry count
        for line in f:
            line = line.strip()
            if not line:
                continue
            word, _, flags = line.partition("/")
            word = fold(word)
            if not CYR_WORD_RE.match(word):
                continue
            universe[word] = universe.get(word, False) or bool(flags)
    return universe


def lower_case_entries():
    """hunspell entries written in lower case (ё folded): not names, symbols or acronyms."""
    entries = set()
    with open(HUNSPELL_DIC + ".dic", encoding="utf-8") as f:
        next(f)  # entry count
        for line in f:
            word = line.strip().partition("/")[0].replace("ё", "е")
            if word and word == word.lower():
                entries.add(word)
    return entries


def keep_short(words, subtitle, counts):
    """Drops words of 2 to SHORT_MAX letters without dictionary and running-text evidence.

    Every short entry lets the ending rules accept many strings (ер + у), and short
    abbreviations collide with the keys of frequent English words (шт is in, ша is if)."""
    entries = lower_case_entries()
    in_text = {fold(w) for w in subtitle}
    for name in TEXT_SOURCES:
        in_text.update(fold(w) for w in counts[name])

    def keep(w):
        return not 2 <= len(w) <= SHORT_MAX or (w in entries and w in in_text)

    kept = [w for w in words if keep(w)]
    print(f"  ru: {len(words) - len(kept)} short words without evidence left out", file=sys.stderr)
    return kept


def libreoffice_text(root):
    skip = re.compile(r"<(script|style)\b.*?</\1>", re.S | re.I)
    tag = re.compile(r"<[^>]*>")
    paths = []
    for d, _, files in os.walk(root):
        paths.extend(os.path.join(d, n) for n in files if n.endswith(".html"))
    for p in sorted(paths):
        with open(p, encoding="utf-8", errors="replace") as f:
            yield html.unescape(tag.sub(" ", skip.sub(" ", f.read())))


def read_sources(work):
    """source name -> {form: count}, forms lower case and not yet folded."""
    counts = {}

    def add(name, words, attest=False):
        c = counts.setdefault(name, {})
        for w in words:
            c[w] = 1 if attest else c.get(w, 0) + 1

    with gzip.open("/usr/share/dictd/mueller7.dict.dz", "rt", encoding="utf-8", errors="replace") as f:
        for line in f:
            add("mueller7", tokens(line))
    festvox = "/usr/share/festival/voices/russian/msu_ru_nsh_clunits"
    with open(festvox + "/etc/txt.done.data", encoding="utf-8") as f:
        for line in f:
            add("festvox_prompts", tokens(line.replace("+", "")))
    for text in libreoffice_text("/usr/share/libreoffice/help/ru"):
        add("libreoffice_help", tokens(text))
    with open(os.path.join(work, "tesseract_words.txt"), encoding="utf-8") as f:
        for line in f:
            w = line.strip().lower()
            if WORD_RE.fullmatch(w):
                add("tesseract_words", [w], attest=True)
    entry = re.compile(r'^\("([^"]+)"')
    with open(festvox + "/dict/msu_ru_nsh_dict.scm", encoding="utf-8") as f:
        for line in f:
            m = entry.match(line)
            if m and WORD_RE.fullmatch(m.group(1).lower()):
                add("festvox_lexicon", [m.group(1).lower()], attest=True)
    return counts


def hunspell_stems(queries):
    """Runs hunspell -s once over all queries; returns query -> list of stems (hunspell order)."""
    text = "".join(q + "\n" for q in queries)
    out = subprocess.run(
        ["hunspell", "-s", "-d", HUNSPELL_DIC, "-i", "utf-8"],
        input=text.encode("utf-8"),
        stdout=subprocess.PIPE,
        check=True,
        env={"LC_ALL": "C.UTF-8", "PATH": os.environ.get("PATH", "/usr/bin:/bin")},
    ).stdout.decode("utf-8")
    stems = {}
    for line in out.split("\n"):
        parts = line.split(" ")
        if len(parts) == 2:
            lst = stems.setdefault(parts[0], [])
            if parts[1] not in lst:
                lst.append(parts[1])
    return stems


def lemmatizer(forms, universe):
    """form (lower case, may hold ё) -> lemmas in the universe (folded), hunspell order.

    Tries the folded form first (the dictionary mostly writes е), then the form as written,
    then both capitalised, so proper names stored with a capital are found too."""
    def variants(f):
        v = [fold(f), f, fold(f).capitalize(), f.capitalize()]
        return list(dict.fromkeys(v))

    queries = sorted({q for f in forms for q in variants(f)})
    stems = hunspell_stems(queries)
    result = {}
    for f in forms:
        lemmas = []
        for q in variants(f):
            found = [fold(s) for s in stems.get(q, [])]
            found = [s for s in found if s in universe]
            if found:
                lemmas = list(dict.fromkeys(found))
                break
        result[f] = lemmas
    return result


def main():
    work, out_path = sys.argv[1], sys.argv[2]
    universe = read_universe()

    with open(os.path.join(work, "russian.txt"), encoding="utf-8") as f:
        subtitle = [w.strip().lower() for w in f]
    subtitle = [w for w in subtitle if CYR_WORD_RE.match(w)]

    counts = read_sources(work)
    all_forms = set(subtitle)
    for c in counts.values():
        all_forms.update(c)
    lemmas_of = lemmatizer(sorted(all_forms), universe)

    out, seen = [], set()

    def emit(w):
        if w not in seen:
            seen.add(w)
            out.append(w)

    attested = set()
    for c in counts.values():
        attested.update(c)
    for form in subtitle:
        folded = fold(form)
        if folded in universe:
            # A form that is an entry of its own (мой, мне, все) stands for itself; its other
            # readings (мыть for мой) get their place from their own occurrences.
            emit(folded)
        elif lemmas_of[form]:
            for lemma in lemmas_of[form]:
                emit(lemma)
            emit(folded)
        elif form in attested and (len(form) > 1 or form in SHORT_PARTICLES):
            # Unknown to hunspell (names, окей, ж); the attestation test drops the
            # subtitle list's encoding debris (врн, щрн, ёто).
            emit(folded)
    n_subtitle = len(out)

    score = {}
    for name, weight, kind in SOURCES:
        per_lemma = {}
        for form in sorted(counts[name]):
            lemmas = lemmas_of[form]
            for lemma in lemmas:
                per_lemma[lemma] = per_lemma.get(lemma, 0.0) + counts[name][form] / len(lemmas)
        total = sum(counts[name].values())
        for lemma in sorted(per_lemma):
            score[lemma] = score.get(lemma, 0.0) + weight * math.log1p(per_lemma[lemma] * 1e6 / total)
        print(f"  source {name}: {total} {'forms' if kind == 'attest' else 'words'}, "
              f"{len(counts[name])} distinct, {len(per_lemma)} lemmas", file=sys.stderr)
    # Rounded so that last-bit differences of log() between machines cannot reorder ties.
    scored = sorted((w for w in score if w not in seen), key=lambda w: (-round(score[w], 9), len(w), w))
    for w in scored:
        emit(w)
    n_scored = len(out) - n_subtitle

    rest = sorted((w for w in universe if w not in seen), key=lambda w: (not universe[w], len(w), w))
    for w in rest:
        emit(w)

    out = keep_short(out, subtitle, counts)[:RU_TOTAL]
    print(f"  ru: {n_subtitle} from subtitles, {n_scored} scored, cut at {len(out)}", file=sys.stderr)
    with open(out_path, "w", encoding="utf-8", newline="\n") as f:
        f.write("".join(w + "\n" for w in out))


if __name__ == "__main__":
    main()
