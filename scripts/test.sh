#!/usr/bin/env bash
# Builds everything and runs all tests twice: first under AddressSanitizer
# and UndefinedBehaviorSanitizer (leaks checked too), then a plain build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
JOBS=$(nproc)

cmake -S . -B build-asan -DSORVELAN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j"$JOBS"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp" \
   ctest --output-on-failure -j"$JOBS")

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$JOBS"
cd build && ctest --output-on-failure -j"$JOBS"
