#!/usr/bin/env bash
# Times loading and saving the prose file in an editor control (plain text,
# the empty conversion set) against `iconv -f CP932 -t UTF-8` over the same
# file, in one run, for the file and for ten copies of it, and prints:
#   load and save time / iconv time          target: each within 2x
#   memory of one loaded control / file size target: under 5x
#   time for the 10x file / time for the 1x  expected: about 10 (linear)
# Builds the prose files when missing (bench/make-prose.sh 10).
#
#   bash bench/bench-editor-files.sh          REPEAT=n (default 3) takes the best of n
set -euo pipefail
cd "$(dirname "$0")/.."

REPEAT=${REPEAT:-3}
BUILD=${BUILD_DIR:-build-bench-editor}
PROSE=bench/data/prose.txt
PROSE10=bench/data/prose10.txt

if [ ! -s "$PROSE" ] || [ ! -s "$PROSE10" ]; then
  bash bench/make-prose.sh 10
fi
for f in "$PROSE" "$PROSE10"; do
  if [ ! -s "$f" ]; then
    echo "bench-editor-files: $f is missing" >&2
    exit 1
  fi
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

if ! { cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release &&
       cmake --build "$BUILD" --target editor_files_qt_bench -j"$(nproc)"; } >"$tmp/build.log" 2>&1; then
  cat "$tmp/build.log" >&2
  exit 1
fi

now() { date +%s.%N; }
# Best wall time in seconds of REPEAT runs of iconv over a file.
iconv_best() {
  local best="" start end
  for _ in $(seq "$REPEAT"); do
    start=$(now)
    iconv -f CP932 -t UTF-8 <"$1" >/dev/null
    end=$(now)
    best=$(awk -v s="$start" -v e="$end" -v b="$best" \
      'BEGIN { t = e - s; if (b == "" || t < b) b = t; printf "%.4f", b }')
  done
  echo "$best"
}
field() { sed -n "s/^$1=//p" "$2"; }

declare -A load save
for f in "$PROSE" "$PROSE10"; do
  key=$(basename "$f" .txt)
  QT_QPA_PLATFORM=offscreen "$BUILD/bench/editor_files_qt_bench" "$f" "$REPEAT" "$tmp/saved.txt" \
    >"$tmp/$key" 2>/dev/null
  iconv_s=$(iconv_best "$f")
  bytes=$(field file_bytes "$tmp/$key")
  load[$key]=$(field load_s "$tmp/$key")
  save[$key]=$(field save_s "$tmp/$key")
  control_kb=$(field control_kb "$tmp/$key")
  echo "file: $f ($bytes bytes, $(field rows "$tmp/$key") rows), best of $REPEAT"
  awk -v l="${load[$key]}" -v s="${save[$key]}" -v i="$iconv_s" -v n="$bytes" \
      -v c="$control_kb" -v p="$(field peak_kb "$tmp/$key")" -v rt="$(field roundtrip "$tmp/$key")" 'BEGIN {
    printf "  load  %8.4f s %8.1f MB/s   %5.2f x iconv (target <= 2) %s\n", l, n / l / 1e6, l / i, (l / i <= 2 ? "met" : "MISSED")
    printf "  save  %8.4f s %8.1f MB/s   %5.2f x iconv (target <= 2) %s\n", s, n / s / 1e6, s / i, (s / i <= 2 ? "met" : "MISSED")
    printf "  iconv %8.4f s %8.1f MB/s\n", i, n / i / 1e6
    m = c * 1024 / n
    printf "  memory of the loaded control %.1f MB = %.2f x file (target < 5) %s; process peak %.1f MB\n", c / 1024, m, (m < 5 ? "met" : "MISSED"), p / 1024
    printf "  saved text equals the file: %s\n", rt
  }'
done
awk -v l1="${load[prose]}" -v l10="${load[prose10]}" -v s1="${save[prose]}" -v s10="${save[prose10]}" 'BEGIN {
  printf "10x file / 1x file: load %.1f x, save %.1f x (linear: about 10)\n", l10 / l1, s10 / s1
}'
