#!/usr/bin/env bash
# Makes the Debian packages of a build tree (cpack -G DEB), unpacks them into a scratch root
# with dpkg -x and uses them from there: the packaged vxtool encodes the packaged example
# speech and shows the file's summary, and a program built against the development package
# (pkg-config vocrix) reads that file's header.
# Usage: package_install_test.sh BUILD_DIR CXX GUI(ON|OFF) [SANITIZERS]
set -euo pipefail
build=$(cd "$1" && pwd)
cxx=$2
gui=$3
sanitize=${4:-}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1
then
  cat "$scratch/cpack.log"
  exit 1
fi
shopt -s nullglob
programs=("$scratch"/out/vocrix_*.deb)
development=("$scratch"/out/vocrix-dev_*.deb)
[[ ${#programs[@]} -eq 1 && ${#development[@]} -eq 1 ]] || {
  ls "$scratch/out"
  exit 1
}
depends=$(dpkg-deb -f "${programs[0]}" Depends)
echo "vocrix Depends: $depends"
for library in libc6 libstdc++6 libasound2; do
  grep -q "$library" <<<"$depends" || { echo "no dependency on $library"; exit 1; }
done
if [[ $gui == ON ]]; then
  grep -q 'libwxgtk3.2' <<<"$depends" || { echo "no dependency on wxWidgets"; exit 1; }
fi

root=$scratch/root
dpkg -x "${programs[0]}" "$root"
dpkg -x "${development[0]}" "$root"
expected=(usr/bin/vxtool usr/bin/vocrix usr/bin/vxrecord usr/share/applications/vxrecord.desktop usr/share/man/man1/vxtool.1.gz usr/share/doc/vocrix/examples/vm-intro.wav)
if [[ $gui == ON ]]; then
  expected+=(usr/bin/vocrix usr/share/applications/vocrix.desktop
             usr/share/mime/packages/vocrix.xml usr/share/icons/hicolor/48x48/apps/vocrix.png)
fi
for file in "${expected[@]}"; do
  [[ -s $root/$file ]] || { echo "the package lacks /$file"; exit 1; }
done
zcat "$root/usr/share/man/man1/vxtool.1.gz" | grep -q '^\.TH VXTOOL 1'

vxtool=$root/usr/bin/vxtool
"$vxtool" encode -o "$scratch/vm-intro.vxs" "$root/usr/share/doc/vocrix/examples/vm-intro.wav"
"$vxtool" info "$scratch/vm-intro.vxs" | tee "$scratch/info"
grep -qE '^frames: +283 ' "$scratch/info"
grep -qE '^stream type: +13 ' "$scratch/info"

cat >"$scratch/header.cpp" <<'PROGRAM'
#include <cstdio>

#include "codec/decoder.h"
#include "io/file_stream.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  int error = 0;
  auto file = vx::FileStream::Open(argv[1], vx::FileMode::kRead, error);
  if (!file) return 1;
  vx::DecoderSession session;
  int32_t samples = 0;
  int streamType = 0;
  if (session.GetVocrixHeader(*file, samples, streamType) != 0) return 1;
  std::printf("%d samples, stream type %d\n", samples, streamType);
  return 0;
}
PROGRAM
libdir=$(dirname "$(find "$root/usr/lib" -name vocrix.pc)")
flags=$(PKG_CONFIG_PATH=$libdir PKG_CONFIG_SYSROOT_DIR=$root pkg-config --cflags --libs vocrix)
sanitizers=()
[[ -n $sanitize ]] && sanitizers=(-fsanitize="$sanitize")
# shellcheck disable=SC2086 # the flags are separate words
"$cxx" -std=c++20 "${sanitizers[@]}" "$scratch/header.cpp" $flags -o "$scratch/header"
"$scratch/header" "$scratch/vm-intro.vxs" | tee "$scratch/header.out"
grep -qx '45280 samples, stream type 13' "$scratch/header.out"
echo "packages vocrix and vocrix-dev install and work from a scratch root"
