#!/usr/bin/env bash
# Builds the libFuzzer targets with clang 14 and runs each for a bounded time. An input that
# crashes a target is kept in fuzz/regressions/<target>/ (replayed as a test by every later
# build) and the run fails.
# Usage: scripts/fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/setup.sh
CC=clang-14 CXX=clang++-14 scripts/build.sh build-fuzz -DVX_FUZZ=ON -DVX_GUI=OFF -DVX_BENCH=OFF \
  -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
status=0
for target in build-fuzz/fuzz/*_fuzzer; do
  name=$(basename "$target" _fuzzer)
  work=$(mktemp -d)
  mkdir "$work/corpus" "$work/artifacts"
  seeds=()
  [[ -d fuzz/seeds/$name ]] && seeds=("fuzz/seeds/$name")
  echo "== $name for ${seconds}s"
  if "$target" -max_total_time="$seconds" -seed=1 -print_final_stats=1 -rss_limit_mb=2048 \
      -artifact_prefix="$work/artifacts/" "$work/corpus" "${seeds[@]}" >"$work/log" 2>&1; then
    grep -E 'stat::number_of_executed_units' "$work/log" || true
  else
    tail -n 60 "$work/log"
    status=1
  fi
  # Crash, leak, time-out and out-of-memory inputs alike become regression cases.
  if compgen -G "$work/artifacts/*" >/dev/null; then
    mkdir -p "fuzz/regressions/$name"
    for artifact in "$work"/artifacts/*; do
      cp "$artifact" "fuzz/regressions/$name/"
      echo "kept fuzz/regressions/$name/$(basename "$artifact"): commit it with the fix"
    done
    status=1
  fi
  rm -rf "$work"
done
exit $status
