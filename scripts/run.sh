#!/usr/bin/env bash
# Installs what is missing, builds, and starts a solo game.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh korvel
exec build/korvel "$@"
