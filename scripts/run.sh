#!/usr/bin/env bash
# Builds Sorvelan and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ -x build/app/sorvelan ]; then
  exec build/app/sorvelan "$@"
fi
echo "Built the engine, the editor control and their tests; the program window is not built yet."
