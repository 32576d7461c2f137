#!/usr/bin/env bash
# Prints the encoding check's false alarms over code page 932 text (the prose
# file, its lines, every code page 932 character) and its catches over the
# same text in UTF-8 and EUC-JP, its detection rates over UTF-8 text of
# other languages and over UTF-16 lines without a mark, and the time the
# check takes.
# Builds the prose file when missing (bench/make-prose.sh).
#
#   bash bench/bench-encoding.sh [SHOW]   (SHOW: print that many alarms of each generated kind)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=${BUILD_DIR:-build-bench-engine}
PROSE=bench/data/prose.txt

if [ ! -s "$PROSE" ]; then
  bash bench/make-prose.sh
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if ! { cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DSORVELAN_ENGINE_ONLY=ON &&
       cmake --build "$BUILD" --target encoding_check_bench -j"$(nproc)"; } >"$tmp/build.log" 2>&1; then
  cat "$tmp/build.log" >&2
  exit 1
fi
"$BUILD/bench/encoding_check_bench" "$PROSE" "$@"
