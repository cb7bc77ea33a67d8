#!/usr/bin/env bash
# Configures and builds the suite. Usage: scripts/build.sh [build-dir] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -G Ninja -DVX_WERROR=ON "$@" >/dev/null
cmake --build "$dir"
