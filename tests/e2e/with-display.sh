#!/usr/bin/env bash
# Runs a command with a display of its own, so that message boxes really show and block until
# they are answered: xvfb-run starts Xvfb on a free display number and stops it afterwards, and
# the display is handed on in NIMBREL_DISPLAY, which every Wine process of the scripts takes.
# Usage: with-display.sh [--wine x86|x64 BUILD_ROOT] COMMAND...
# With --wine, that project prefix's Wine is ended before (its desktop then starts on this
# display, not on whatever display an earlier process had) and after (before the display goes).
set -u
if [ -z "${NIMBREL_DISPLAY_STARTED:-}" ]; then
  NIMBREL_DISPLAY_STARTED=1 exec xvfb-run -a "$0" "$@"
fi
unset NIMBREL_DISPLAY_STARTED
export NIMBREL_DISPLAY=$DISPLAY
wine_arch=""
if [ "${1:-}" = "--wine" ]; then
  wine_arch=$2 wine_root=$3
  shift 3
  source "$(dirname "$0")/../../scripts/wine-env"
fi
end_wine() {
  [ -n "$wine_arch" ] || return 0
  (nimbrel_use_wine "$wine_arch" "$wine_root"; nimbrel_wineserver -k 2>/dev/null; nimbrel_wineserver -w 2>/dev/null) || true
}

end_wine
"$@"
status=$?
end_wine
exit $status
