#!/usr/bin/env bash
# Builds bench/data/prose.txt: about 8 MB of Japanese prose in code page 932
# with CR LF line ends, from the Japanese HTML of the Debian Reference
# (package debian-reference-ja, installed when missing): tags stripped, lines
# without Japanese dropped, converted with iconv, repeated to the size.
#
#   bash bench/make-prose.sh [FACTOR]
# With FACTOR > 1 it also writes bench/data/proseFACTOR.txt, FACTOR copies of
# prose.txt (bench/data/prose10.txt for 10). Existing files are kept.
set -euo pipefail
cd "$(dirname "$0")/.."

FACTOR=${1:-1}
case "$FACTOR" in '' | *[!0-9]*) echo "make-prose: FACTOR must be a number" >&2; exit 2 ;; esac
TARGET_BYTES=$((8 * 1024 * 1024))
DATA=bench/data
PROSE=$DATA/prose.txt
SRC=/usr/share/debian-reference
mkdir -p "$DATA"

# Another bench may build the same file at the same time.
exec 9>"$DATA/.make-prose.lock"
flock 9

if [ ! -s "$PROSE" ]; then
  if ! ls "$SRC"/*.ja.html >/dev/null 2>&1; then
    bash scripts/install-packages.sh debian-reference-ja
  fi
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT

  # Text of the pages: tags (also those spanning lines) and entities removed,
  # indentation trimmed, only lines holding kana or kanji (UTF-8 lead bytes
  # E3-E9) kept.
  cat "$SRC"/*.ja.html |
    tr '\n' '\001' | sed -e 's/<[^>]*>//g' | tr '\001' '\n' |
    sed -e 's/&lt;/</g; s/&gt;/>/g; s/&quot;/"/g; s/&nbsp;/ /g; s/&#[0-9]*;//g; s/&amp;/\&/g' \
        -e 's/^[[:space:]]*//; s/[[:space:]]*$//' |
    LC_ALL=C grep -a $'[\xE3-\xE9]' >"$tmp/text.utf8"

  # Convert; when iconv refuses the whole, convert line by line and drop the
  # lines it refuses.
  if ! LC_ALL=C iconv -f UTF-8 -t CP932//TRANSLIT <"$tmp/text.utf8" >"$tmp/text.sjis" 2>/dev/null; then
    : >"$tmp/text.sjis"
    while IFS= read -r line; do
      if out=$(printf '%s\n' "$line" | LC_ALL=C iconv -f UTF-8 -t CP932//TRANSLIT 2>/dev/null); then
        printf '%s\n' "$out" >>"$tmp/text.sjis"
      fi
    done <"$tmp/text.utf8"
  fi
  sed -e 's/$/\r/' "$tmp/text.sjis" >"$tmp/once.txt"

  once=$(stat -c %s "$tmp/once.txt")
  if [ "$once" -eq 0 ]; then
    echo "make-prose: no text from $SRC" >&2
    exit 1
  fi
  : >"$tmp/prose.txt"
  while [ "$(stat -c %s "$tmp/prose.txt")" -lt "$TARGET_BYTES" ]; do
    cat "$tmp/once.txt" >>"$tmp/prose.txt"
  done
  mv "$tmp/prose.txt" "$PROSE"
  echo "make-prose: wrote $PROSE ($(stat -c %s "$PROSE") bytes)"
fi

if [ "$FACTOR" -gt 1 ]; then
  big=$DATA/prose$FACTOR.txt
  if [ ! -s "$big" ]; then
    for _ in $(seq "$FACTOR"); do cat "$PROSE"; done >"$big.tmp"
    mv "$big.tmp" "$big"
    echo "make-prose: wrote $big ($(stat -c %s "$big") bytes)"
  fi
fi
