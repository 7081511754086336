#!/usr/bin/env bash
# A launch that hangs is ended by the watchdog with -200 after five seconds, with no box: a FIFO
# stands where a payload file should be and a writer holds it open without writing, so reading
# it for its checksum blocks.
# Usage: watchdog.sh x86|x64 BUILD_ROOT LAUNCHER.EXE   (runs under with-display.sh)
set -u
source "$(dirname "$0")/../../scripts/wine-env"
nimbrel_use_wine "$1" "$2"
launcher=$3
user_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local 2>/dev/null | grep -v /Public/ | head -n1)
[ -n "$user_dir" ] || { echo "watchdog: no per-user folder in $WINEPREFIX"; exit 1; }
folder="$user_dir/Nimbrel"
rm -rf "$folder"
mkdir -p "$folder"
mkfifo "$folder/Nimbrel.Gui.dll"
sleep 30 >"$folder/Nimbrel.Gui.dll" &
writer=$!

trace=$(mktemp)
start=$(date +%s%3N)
WINEDEBUG=+msgbox nimbrel_wine "$launcher" 2>"$trace"
status=$?
end=$(date +%s%3N)
kill "$writer" 2>/dev/null
wait "$writer" 2>/dev/null
rm -rf "$folder"

elapsed_ms=$((end - start))
failed=0
# -200 reaches the shell as 56 (the low byte of the Windows exit code).
[ "$status" -eq 56 ] || { echo "watchdog: exit status $status, expected 56 (-200)"; failed=1; }
if grep -q 'MSGBOX_OnInit' "$trace"; then echo "watchdog: a box was shown"; failed=1; fi
# Five seconds from the watchdog's start, plus Wine's own start-up.
if [ "$elapsed_ms" -lt 5000 ] || [ "$elapsed_ms" -gt 9000 ]; then
  echo "watchdog: ended after $elapsed_ms ms, expected a little over 5 s"; failed=1
fi
rm -f "$trace"
echo "watchdog: exit $status after $elapsed_ms ms"
[ "$failed" -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $failed
