#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs one of them.
# Usage: scripts/fuzz.sh TARGET [SECONDS]   (e.g. scripts/fuzz.sh fuzz_server 600)
# KORVEL_FUZZ_INTEGER=1 builds into build-fuzz-integer/ with clang's integer checks as well
# (-fsanitize=integer); their reports are printed and the run goes on.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?target name, e.g. fuzz_server}
seconds=${2:-600}
dir=build-fuzz
integer=OFF
if [ "${KORVEL_FUZZ_INTEGER:-0}" = 1 ]; then
  dir=build-fuzz-integer
  integer=ON
fi
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVEL_BUILD_FUZZ=ON -DKORVEL_BUILD_UI=OFF -DKORVEL_BUILD_TESTS=OFF -DKORVEL_BUILD_BENCH=OFF \
  -DKORVEL_FUZZ_INTEGER="$integer"
cmake --build "$dir" --target "$target"
mkdir -p "fuzz-out/$target"
# A target's dictionary of message words, when it has one: fuzz/<target without fuzz_>.dict.
dict=()
if [ -f "fuzz/${target#fuzz_}.dict" ]; then dict=(-dict="fuzz/${target#fuzz_}.dict"); fi
"$dir/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 "${dict[@]}" "fuzz-out/$target"
