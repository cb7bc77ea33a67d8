#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/setup.sh
CC=clang CXX=clang++ scripts/build.sh build-fuzz -DVX_FUZZ=ON -DVX_GUI=OFF -DVX_BENCH=OFF \
  -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
status=0
for target in build-fuzz/fuzz/*_fuzzer; do
  name=$(basename "$target" _fuzzer)
  work=$(mktemp -d)
  seeds=()
  [[ -d fuzz/seeds/$name ]] && seeds=("fuzz/seeds/$name")
  echo "== $name for ${seconds}s"
  if "$target" -max_total_time="$seconds" -seed=1 -print_final_stats=1 -rss_limit_mb=2048 \
      -artifact_prefix="$work/" "$work" "${seeds[@]}" >"$work/log" 2>&1; then
    grep -E 'stat::number_of_executed_units' "$work/log" || true
  else
    tail -n 60 "$work/log"
    status=1
  fi
  rm -rf "$work"
done
exit $status
