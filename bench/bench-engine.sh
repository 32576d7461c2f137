#!/usr/bin/env bash
# Times the engine's mapping and romanisation against peers on the same
# prose, in one run, and prints the ratios (our throughput / the peer's):
#   MapText (each of the six flags) against nkf --hiragana and nkf -Z1, target 2x;
#   each romanisation against kakasi (kana to romaji), target 4x.
# Installs nkf and kakasi when missing and builds the prose file when missing.
#
#   bash bench/bench-engine.sh [prose.txt]     REPEAT=n (default 3) takes the best of n
set -euo pipefail
cd "$(dirname "$0")/.."

PROSE=${1:-bench/data/prose.txt}
REPEAT=${REPEAT:-3}
BUILD=${BUILD_DIR:-build-bench-engine}

bash scripts/install-packages.sh nkf kakasi
if [ ! -s "$PROSE" ]; then
  bash bench/make-prose.sh
fi
if [ ! -s "$PROSE" ]; then
  echo "bench-engine: $PROSE is missing" >&2
  exit 1
fi

cmake -S . -B "$BUILD" -DSORVELAN_ENGINE_ONLY=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" --target engine_bench -j"$(nproc)" >/dev/null

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
bytes=$(stat -c %s "$PROSE")

# Best wall time in seconds of REPEAT runs of a command over the file.
now() { date +%s.%N; }
best_of() {
  local best="" start end
  for _ in $(seq "$REPEAT"); do
    start=$(now)
    "$@" <"$PROSE" >/dev/null
    end=$(now)
    best=$(awk -v s="$start" -v e="$end" -v b="$best" \
      'BEGIN { t = e - s; if (b == "" || t < b) b = t; printf "%.4f", b }')
  done
  echo "$best"
}
mbps() { awk -v n="$bytes" -v t="$1" 'BEGIN { printf "%.1f", n / t / 1e6 }'; }

"$BUILD/bench/engine_bench" "$PROSE" "$REPEAT" >"$tmp/figures" 2>/dev/null
nkf_hira=$(mbps "$(best_of nkf -Ss --hiragana)")
nkf_z1=$(mbps "$(best_of nkf -Ss -Z1)")
kakasi_kana=$(mbps "$(best_of kakasi -Ha -Ka -i sjis -o sjis)")
kakasi_all=$(mbps "$(best_of kakasi -Ha -Ka -Ja -Ea -ka -i sjis -o sjis)")

echo "file: $PROSE ($bytes bytes), best of $REPEAT"
echo "ours (MB/s):"
sed -n 's/_mbps=/ /p' "$tmp/figures" | awk '{ printf "  %-10s %8.1f\n", $1, $2 }'
echo "peers (MB/s):"
printf '  %-34s %8.1f\n' "nkf --hiragana" "$nkf_hira" "nkf -Z1" "$nkf_z1" \
  "kakasi -Ha -Ka (kana to romaji)" "$kakasi_kana" "kakasi -Ha -Ka -Ja -Ea -ka" "$kakasi_all"

figure() { sed -n "s/^$1_mbps=//p" "$tmp/figures"; }
echo "ratios (ours / peer):"
ratio() {  # name ours peer peername target
  awk -v n="$1" -v o="$2" -v p="$3" -v pn="$4" -v t="$5" 'BEGIN {
    r = o / p
    printf "  %-10s / %-16s = %6.2f (target %.0f) %s\n", n, pn, r, t, (r >= t ? "met" : "MISSED")
  }'
}
ratio hiragana "$(figure hiragana)" "$nkf_hira" "nkf --hiragana" 2
ratio katakana "$(figure katakana)" "$nkf_hira" "nkf --hiragana" 2
for op in halfwidth fullwidth uppercase lowercase; do
  ratio "$op" "$(figure "$op")" "$nkf_z1" "nkf -Z1" 2
done
for op in hepburn kunrei nihon; do
  ratio "$op" "$(figure "$op")" "$kakasi_kana" "kakasi -Ha -Ka" 4
done
for op in hepburn kunrei nihon; do
  ratio "$op" "$(figure "$op")" "$kakasi_all" "kakasi (all sets)" 4
done
