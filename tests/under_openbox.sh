#!/bin/sh
# Runs a command on a 1920x1080 X screen of its own with the openbox window manager,
# so that what a real window manager does with the windows (placing, maximising,
# keeping transient windows in front) is what the command sees.
set -eu
for tool in xvfb-run openbox; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/deps installs it)" >&2; exit 1; }
done
exec xvfb-run -a -s "-screen 0 1920x1080x24" sh -c '
  openbox >/dev/null 2>&1 & wm=$!
  # Ready when it has taken the screen (it sets its supporting window).
  for i in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
  sleep 0.5
  QT_QPA_PLATFORM=xcb "$@"; rc=$?
  kill $wm 2>/dev/null
  exit $rc' sh "$@"
