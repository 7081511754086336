#!/usr/bin/env bash
# Runs a command with a display of its own, so that message boxes really show and block until
# they are answered. Starts Xvfb on a free display number and stops it afterwards.
# Usage: with-display.sh [--wine x86|x64 BUILD_ROOT] COMMAND...
# With --wine, that project prefix's Wine is ended before (its desktop then starts on this
# display, not on whatever display an earlier process had) and after (before the display goes).
set -u
here=$(cd "$(dirname "$0")" && pwd)
wine_arch=""
if [ "${1:-}" = "--wine" ]; then
  wine_arch=$2 wine_root=$3
  shift 3
  source "$here/../../scripts/wine-env"
fi
end_wine() {
  [ -n "$wine_arch" ] || return 0
  (nimbrel_use_wine "$wine_arch" "$wine_root"; nimbrel_wineserver -k 2>/dev/null; nimbrel_wineserver -w 2>/dev/null) || true
}

fd_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fd_file" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$fd_file" ] && break
  sleep 0.05
done
if [ ! -s "$fd_file" ]; then
  echo "with-display: Xvfb did not start" >&2
  kill "$xvfb" 2>/dev/null
  exit 1
fi
export DISPLAY=":$(head -n1 "$fd_file")"
export NIMBREL_DISPLAY=$DISPLAY
rm -f "$fd_file"
end_wine
"$@"
status=$?
end_wine
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
exit $status
