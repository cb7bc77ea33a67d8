#!/usr/bin/env bash
# Configures and builds the suite. Usage: scripts/build.sh [build-dir] [extra cmake options...]
# The configure step is quiet unless it fails; then its whole output is shown.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! cmake -S . -B "$dir" -G Ninja -DVX_WERROR=ON "$@" >"$log" 2>&1; then
  cat "$log" >&2
  echo "build.sh: configuring $dir failed" >&2
  exit 1
fi
cmake --build "$dir"
