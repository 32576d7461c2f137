#!/usr/bin/env bash
# Times the two reading builders against MeCab's own reading output
# (mecab -Oyomi, same dictionary) on the same prose, and prints the ratios
# against their targets: run by run within 1.5x of mecab, whole line within 1.2x.
#
#   bash bench/bench-reading.sh [prose.txt]     REPEAT=n (default 3) takes the best of n
set -euo pipefail
cd "$(dirname "$0")/.."

PROSE=${1:-bench/data/prose.txt}
REPEAT=${REPEAT:-3}
BUILD=${BUILD_DIR:-build-bench}
DICDIR=/var/lib/mecab/dic/ipadic-utf8

if [ ! -f "$PROSE" ]; then
  if [ -f bench/make-prose.sh ]; then
    bash bench/make-prose.sh
  fi
  if [ ! -f "$PROSE" ]; then
    echo "bench-reading: $PROSE is missing (bench/make-prose.sh builds it)" >&2
    exit 1
  fi
fi
bash scripts/install-packages.sh mecab

cmake -S . -B "$BUILD" -DSORVELAN_ENGINE_ONLY=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" --target reading_bench -j"$(nproc)" >/dev/null

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
iconv -c -f CP932 -t UTF-8 "$PROSE" | tr -d '\r' >"$tmp/prose.utf8"

now() { date +%s.%N; }
mecab_best=""
for _ in $(seq "$REPEAT"); do
  start=$(now)
  mecab -r "$DICDIR/dicrc" -d "$DICDIR" -b 1048576 -Oyomi <"$tmp/prose.utf8" >"$tmp/yomi"
  end=$(now)
  mecab_best=$(awk -v s="$start" -v e="$end" -v b="$mecab_best" \
    'BEGIN { t = e - s; if (b == "" || t < b) b = t; printf "%.3f", b }')
done

"$BUILD/bench/reading_bench" "$PROSE" "$REPEAT" >"$tmp/figures"
cat "$tmp/figures"
echo "mecab_seconds=$mecab_best"

figure() { sed -n "s/^$1=//p" "$tmp/figures"; }
awk -v m="$mecab_best" -v r="$(figure runs_seconds)" -v l="$(figure line_seconds)" 'BEGIN {
  rr = r / m; lr = l / m
  printf "runs/mecab  = %.2f (target 1.50) %s\n", rr, rr <= 1.5 ? "met" : "MISSED"
  printf "line/mecab  = %.2f (target 1.20) %s\n", lr, lr <= 1.2 ? "met" : "MISSED"
}'
