#!/usr/bin/env bash
# Runs a command with a display of its own, so that message boxes really show and block until
# they are answered. Starts Xvfb on a free display number and stops it afterwards.
set -u
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
rm -f "$fd_file"
"$@"
status=$?
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
exit $status
