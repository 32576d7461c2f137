#!/usr/bin/env bash
# Times the editor control's display offscreen at the panes' settings beside a
# QPlainTextEdit of the same size, on the prose file once and ten times over:
# full repaints of a 120 x 50 cell view (target under 16 ms) and 10,000
# one-row scrolls (target at most 2x QPlainTextEdit's, and the same for both
# file lengths). Builds the prose files when missing.
#
#   bash bench/bench-display.sh [SCROLLS] [REPAINTS]      BUILD_DIR=... to choose the build
set -euo pipefail
cd "$(dirname "$0")/.."

SCROLLS=${1:-10000}
REPAINTS=${2:-200}
BUILD=${BUILD_DIR:-build-bench-display}

if [ ! -s bench/data/prose.txt ] || [ ! -s bench/data/prose10.txt ]; then
  bash bench/make-prose.sh 10
fi

cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" --target display_qt_bench -j"$(nproc)" >/dev/null 2>&1 ||
  { echo "bench-display: the build failed" >&2; exit 1; }

export QT_QPA_PLATFORM=offscreen
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for f in prose prose10; do
  echo "== bench/data/$f.txt"
  "$BUILD/bench/display_qt_bench" "bench/data/$f.txt" "$SCROLLS" "$REPAINTS" 2>/dev/null | tee "$tmp/$f"
  echo
done

figure() { sed -n "s/^figures:.* $2=\([0-9.]*\).*/\1/p" "$tmp/$1"; }
one=$(figure prose scroll_ms)
ten=$(figure prose10 scroll_ms)
awk -v a="$one" -v b="$ten" 'BEGIN {
  r = b / a
  printf "TAFEdit line scroll, 10x / 1x file (median): %.3f ms / %.3f ms = %.2f (independent of length: %s)\n",
         b, a, r, (r <= 1.25 ? "yes" : "NO")
}'
