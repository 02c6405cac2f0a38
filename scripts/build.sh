#!/usr/bin/env bash
# Configures and builds Korvel into build/ (Ninja when present). With target names as arguments
# it builds only those (scripts/run.sh builds just the game); with none, everything: the game,
# tools, tests and benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
generator=()
if command -v ninja >/dev/null 2>&1; then
  generator=(-G Ninja)
fi
if [[ ! -f build/CMakeCache.txt ]]; then
  cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
targets=()
for t in "$@"; do
  targets+=(--target "$t")
done
cmake --build build --parallel "$(nproc)" "${targets[@]}"
