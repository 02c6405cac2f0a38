#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs one of them.
# Usage: scripts/fuzz.sh TARGET [SECONDS]   (e.g. scripts/fuzz.sh fuzz_server 600)
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?target name, e.g. fuzz_server}
seconds=${2:-600}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVEL_BUILD_FUZZ=ON -DKORVEL_BUILD_UI=OFF -DKORVEL_BUILD_TESTS=OFF -DKORVEL_BUILD_BENCH=OFF
cmake --build build-fuzz --target "$target"
mkdir -p "fuzz-out/$target"
"build-fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 "fuzz-out/$target"
