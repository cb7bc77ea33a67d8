#!/usr/bin/env bash
# Builds the web player into OUT: the page (index.html), the player module and element
# (vocrix.mjs, vocrix-player.mjs), the codec in WebAssembly (vxcodec.mjs, vxcodec.wasm) and
# the command-line decoder (node OUT/vxdecode.mjs IN.vxs OUT.wav).
# Usage: scripts/web.sh OUT [wasm build dir, default build-web]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:?usage: scripts/web.sh OUT [wasm build dir]}
dir=${2:-build-web}
scripts/setup.sh --web
# emcc's own tools load Debian's node modules (acorn) from here.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B "$dir" -G Ninja -DVX_WERROR=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir" --target vxweb
mkdir -p "$out"
cp web/index.html web/vocrix.mjs web/vocrix-player.mjs web/vxdecode.mjs "$out/"
cp "$dir/web/vxcodec.mjs" "$dir/web/vxcodec.wasm" "$out/"
echo "web player in $out: open $out/index.html through a web server"
