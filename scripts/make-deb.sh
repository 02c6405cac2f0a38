#!/usr/bin/env bash
# Builds Korvel in Release mode into build-deb/ and packs it as a Debian package there; prints the
# package's path. Install it with: sudo apt install ./build-deb/korvel_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
generator=()
if command -v ninja >/dev/null 2>&1; then
  generator=(-G Ninja)
fi
cmake -S . -B build-deb "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
  -DKORVEL_BUILD_TESTS=OFF -DKORVEL_BUILD_BENCH=OFF >/dev/null
cmake --build build-deb --parallel "${KORVEL_JOBS:-$(nproc)}"
rm -f build-deb/korvel_*.deb
(cd build-deb && cpack -G DEB >/dev/null)
deb=$(ls build-deb/korvel_*.deb)
echo "$PWD/$deb"
