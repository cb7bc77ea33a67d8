#!/usr/bin/env bash
# Installs a program's desktop files into a scratch prefix and checks that the desktop
# database tools accept them: the entry's command and icon, and the MIME globs it registers.
# Usage: desktop_install_test.sh <build dir> <program> <Exec line> [<MIME type>:<glob>...]
set -euo pipefail
build=$1 program=$2 exec=$3
shift 3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" --component desktop >/dev/null
entry=$prefix/share/applications/$program.desktop
grep -qxF "$exec" "$entry"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$entry"; fi
test -s "$prefix/share/icons/hicolor/48x48/apps/$program.png"
if (($#)); then
  update-mime-database "$prefix/share/mime" >/dev/null
  for glob in "$@"; do
    grep '^MimeType=' "$entry" | tr '=;' '\n\n' | grep -qxF "${glob%%:*}"
    grep -qxF "$glob" "$prefix/share/mime/globs"
  done
fi
echo "$program: desktop files install and register"
