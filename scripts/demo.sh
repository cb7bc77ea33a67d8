#!/usr/bin/env bash
# Sets up the machine, builds the suite, encodes the bundled speech sample
# (samples/vm-intro.wav) at full and half rate with vxtool encode, decodes both files back to
# WAV and shows what they hold. Usage: scripts/demo.sh [build-dir, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
scripts/setup.sh
scripts/build.sh "$dir"
vxtool=$dir/tools/vxtool/vxtool
out=$dir/demo
mkdir -p "$out"

for rate in full half; do
  options=(--overwrite -o "$out/vm-intro-$rate.vxs")
  [[ $rate == half ]] && options+=(--half)
  echo "== $rate rate"
  "$vxtool" encode "${options[@]}" samples/vm-intro.wav
  "$vxtool" info "$out/vm-intro-$rate.vxs"
  "$vxtool" decode "$out/vm-intro-$rate.vxs" "$out/vm-intro-$rate.wav"
  echo
done
echo "Listen to the decoded speech: $out/vm-intro-full.wav and $out/vm-intro-half.wav"
echo "(the original is samples/vm-intro.wav; see samples/README.md for its source and licence)"
