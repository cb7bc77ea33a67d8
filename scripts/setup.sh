#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running the suite need.
# Idempotent: packages already present are not fetched again. --corpus adds the training
# corpus, --web what the web player is built and tested with.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-14 libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libasound2-dev libwxgtk3.2-dev
  xvfb xauth libx11-dev libxtst-dev fonts-liberation fonts-dejavu-core shared-mime-info desktop-file-utils
  dpkg-dev file
)
for group in "$@"; do
  case $group in
    --corpus)
      # Recorded telephone-band speech for training the codebooks (tools/trainer).
      packages+=(asterisk-core-sounds-en-wav asterisk-core-sounds-fr-wav asterisk-core-sounds-es-wav)
      ;;
    --web)
      # The web player (scripts/web.sh): the WebAssembly compiler, Node for the command-line
      # decoder and the tests, and a browser for the page's tests.
      packages+=(emscripten nodejs chromium)
      ;;
    *)
      echo "usage: scripts/setup.sh [--corpus] [--web]" >&2
      exit 2
      ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
((${#missing[@]})) || exit 0

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  if ! command -v sudo >/dev/null; then
    echo "setup.sh: these packages are missing and installing them needs root:" >&2
    echo "  ${missing[*]}" >&2
    command=$(printf '%q ' "$0" "$@")
    echo "run as root (for example: su -c '${command% }'), or install them with:" >&2
    echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
