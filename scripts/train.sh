#!/usr/bin/env bash
# Installs the speech corpus (Debian's recorded telephone prompts, see tools/trainer/CORPUS.md)
# and regenerates codec/trained_tables.cpp with vxtrainer. Deterministic; a few minutes on
# two cores. Usage: scripts/train.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-train}
corpus=(asterisk-core-sounds-en-wav asterisk-core-sounds-fr-wav asterisk-core-sounds-es-wav)

scripts/setup.sh --corpus
cmake -S . -B "$dir" -G Ninja -DVX_WERROR=ON >/dev/null
cmake --build "$dir" --target vxtrainer -j2

note=$(dpkg-query -W -f='${Package} ${Version}, ' "${corpus[@]}")
"$dir/tools/trainer/vxtrainer" --corpus-note "Debian packages ${note%, } (CC-BY-SA-3.0)" \
  --out codec/trained_tables.cpp /usr/share/asterisk/sounds
