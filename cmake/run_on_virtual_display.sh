#!/usr/bin/env bash
# Runs a command on a virtual X server of its own. Xvfb picks a free display number itself
# (-displayfd: it binds the first free one and reports it once it accepts connections), so
# tests that ctest starts side by side, or that other build trees run at the same time, never
# pick the same display, as a search for a free number before the start can.
# Usage: run_on_virtual_display.sh WIDTHxHEIGHTxDEPTH COMMAND [ARGUMENTS...]
set -euo pipefail
screen=$1
shift
dir=$(mktemp -d)
xvfb=
stop() {
  if [[ -n $xvfb ]]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  rm -rf "$dir"
}
trap stop EXIT

# One cookie for the server and the client: the server takes every entry of its file, the
# client looks its display up by number, known only once the server has started.
cookie=$(mcookie)
touch "$dir/server" "$dir/client"
xauth -q -f "$dir/server" add :0 . "$cookie"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -auth "$dir/server" \
  3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
for ((tries = 0; tries < 300; ++tries)); do
  [[ $(wc -l <"$dir/display") -ge 1 ]] && break
  if ! kill -0 "$xvfb" 2>/dev/null; then break; fi
  sleep 0.1
done
display=$(tr -dc 0-9 <"$dir/display")
if [[ -z $display ]]; then
  echo "run_on_virtual_display: Xvfb did not start:" >&2
  cat "$dir/xvfb.log" >&2
  exit 1
fi
xauth -q -f "$dir/client" add ":$display" . "$cookie"
status=0
DISPLAY=:$display XAUTHORITY=$dir/client "$@" || status=$?
exit $status
