#!/usr/bin/env bash
# Times "ひらがなに変換", "ふりがなに変換" and "ローマ字に変換" (Hepburn) of the
# main window over the whole edit pane, the file opened through the Open
# command, against the engine alone over the same rows, in one run, and
# prints:
#   command time / engine time, warm heap        target: each within 2x
#   command time / engine time, cold heap        target: each within 2.5x
#   both panes loaded                            target: at most 4x the file
#   both panes + one command's undo records      target: at most 8x the file
#   the Open command that loads both panes: first and best time, page faults
# A command is timed on a warm heap (memory that earlier panes and undo
# records freed is reused) and on a cold heap (every page its new rows and
# undo records need is fresh, as for the first command after start-up), best
# of REPEAT each; for the cold run the page faults are shown with the time
# the cold run took beyond the warm one per fault. Memory is the
# peak resident size (VmHWM) over a cold run, less the window before the file
# was opened; the heap allocated (mallinfo2) is shown beside it and counts
# reserved list capacity that was never touched, so it can exceed the peak.
# Builds the prose file when missing (bench/make-prose.sh).
#
#   bash bench/bench-app.sh [FILE]      REPEAT=n (default 3), BUILD_DIR (default build-bench-app)
set -euo pipefail
cd "$(dirname "$0")/.."

REPEAT=${REPEAT:-3}
BUILD=${BUILD_DIR:-build-bench-app}
FILE=${1:-bench/data/prose.txt}

if [ "$FILE" = bench/data/prose.txt ] && [ ! -s "$FILE" ]; then
  bash bench/make-prose.sh
fi
if [ ! -s "$FILE" ]; then
  echo "bench-app: $FILE is missing" >&2
  exit 1
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

if ! { cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release &&
       cmake --build "$BUILD" --target app_qt_app_bench -j"$(nproc)"; } >"$tmp/build.log" 2>&1; then
  cat "$tmp/build.log" >&2
  exit 1
fi

if ! QT_QPA_PLATFORM=offscreen "$BUILD/bench/app_qt_app_bench" "$FILE" "$REPEAT" >"$tmp/out" 2>"$tmp/err"; then
  cat "$tmp/out" "$tmp/err" >&2
  exit 1
fi

field() { sed -n "s/^$1=//p" "$tmp/out"; }
bytes=$(field file_bytes)

echo "file: $FILE ($bytes bytes, $(field file_rows) rows; the panes hold $(field pane_rows) rows, same as the file: $(field rows_same)), best of $REPEAT"
echo
printf "%-9s %9s %9s %23s %7s %9s %25s %7s %14s  %s\n" command "engine s" "app s" "x engine (target <= 2)" faults \
  "cold s" "x engine (target <= 2.5)" faults "extra us/fault" "same result"
for cmd in hiragana furigana hepburn; do
  awk -v c="$cmd" -v e="$(field ${cmd}_engine_s)" -v a="$(field ${cmd}_app_s)" -v af="$(field ${cmd}_app_faults)" \
      -v k="$(field ${cmd}_cold_s)" -v f="$(field ${cmd}_cold_faults)" -v s="$(field ${cmd}_same)" 'BEGIN {
    r = a / e; rc = k / e
    printf "%-9s %9.4f %9.4f %16.2f %-6s %7d %9.4f %18.2f %-6s %7d %14.1f  %s\n", c, e, a, r, (r <= 2 ? "met" : "MISSED"), af,
           k, rc, (rc <= 2.5 ? "met" : "MISSED"), f, (f > af ? (k - a) * 1e6 / (f - af) : 0), s
  }'
done

echo
panes=$(field panes_kb)
reader=$(field reader_kb)
awk -v p="$panes" -v pl="$(field panes_live_kb)" -v n="$bytes" -v o1="$(field open_first_s)" \
    -v ob="$(field open_best_s)" -v of="$(field open_faults)" 'BEGIN {
  x = p * 1024 / n
  printf "both panes loaded: %.1f MiB = %.2f x file (target <= 4) %s; heap allocated %.1f MiB\n", p / 1024, x,
         (x <= 4 ? "met" : "MISSED"), pl / 1024
  printf "opening the file into both panes: first %.4f s (%d faults), best %.4f s\n", o1, of, ob
}'
for cmd in hiragana furigana hepburn; do
  awk -v c="$cmd" -v m="$(field ${cmd}_peak_kb)" -v l="$(field ${cmd}_live_kb)" -v rd="$reader" -v n="$bytes" 'BEGIN {
    own = m; note = ""
    if (c == "furigana") { own = m - rd; note = sprintf(" (peak %.1f MiB less the reading dictionary %.1f MiB)", m / 1024, rd / 1024) }
    x = own * 1024 / n
    printf "%-9s both panes + undo records: %.1f MiB = %.2f x file (target <= 8) %s; heap allocated %.1f MiB = %.2f x%s\n",
           c, own / 1024, x, (x <= 8 ? "met" : "MISSED"), l / 1024, l * 1024 / n, note
  }'
done
printf "process peak %.1f MiB\n" "$(awk -v p="$(field process_peak_kb)" 'BEGIN { print p / 1024 }')"
if [ "$(field peak_reset)" != yes ]; then
  echo "note: the kernel refused to reset the peak (/proc/self/clear_refs); the memory figures are the highest so far"
fi
