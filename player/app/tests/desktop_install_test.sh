#!/usr/bin/env bash
# Installs the player's desktop files into a scratch prefix and checks that the desktop
# database tools accept them: the MIME type's globs and the entry's type and command.
# Usage: desktop_install_test.sh <build dir>
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" --component desktop >/dev/null
entry=$prefix/share/applications/vocrix.desktop
grep -qx 'Exec=vocrix %f' "$entry"
grep -qx 'MimeType=audio/x-vocrix;' "$entry"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$entry"; fi
test -s "$prefix/share/icons/hicolor/48x48/apps/vocrix.png"
update-mime-database "$prefix/share/mime" >/dev/null
grep -qx 'audio/x-vocrix:\*.vxs' "$prefix/share/mime/globs"
grep -qx 'audio/x-vocrix:\*.cht' "$prefix/share/mime/globs"
echo "desktop files install and register audio/x-vocrix"
