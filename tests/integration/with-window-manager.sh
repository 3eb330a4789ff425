#!/bin/sh
# Runs a command on the current X display with a window manager, which a full-screen window
# needs: without one, nothing gives the window the whole screen. Used inside xvfb-run.
if ! command -v matchbox-window-manager >/dev/null 2>&1; then
  echo "matchbox-window-manager is missing (install it, see scripts/install-deps.sh)" >&2
  exit 1
fi
matchbox-window-manager -use_titlebar no >/dev/null 2>&1 &
wm=$!
sleep 1
"$@"
rc=$?
kill "$wm" 2>/dev/null
wait "$wm" 2>/dev/null
exit $rc
