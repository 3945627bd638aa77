#!/usr/bin/env bash
# Runs a command on a fresh Xvfb display, on whatever display number is free, and stops
# the server afterwards.   run_under_xvfb.sh COMMAND [ARGUMENT...]
set -euo pipefail

readonly startup_timeout_s=10
display_file=$(mktemp)
xvfb_pid=
stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -f "$display_file"
}
trap stop_xvfb EXIT

# Xvfb picks the free number itself and writes it to the descriptor.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq $((startup_timeout_s * 20))); do
  [ -s "$display_file" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.05
done
[ -s "$display_file" ] || { echo "Xvfb gave no display within ${startup_timeout_s}s" >&2; exit 1; }

# The program must find this display, not a Wayland session or Qt's offscreen platform.
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=":$(head -n1 "$display_file")" "$@"
