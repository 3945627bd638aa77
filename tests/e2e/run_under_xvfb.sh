#!/usr/bin/env bash
# Runs a command on a fresh Xvfb display, on whatever display number is free, and stops
# the server afterwards.   run_under_xvfb.sh COMMAND [ARGUMENT...]
# The program must find this display, not a Wayland session or Qt's offscreen platform.
# The keyboard is a plain US one without multimedia keys: those use up the virtual-key
# codes Wine gives keys it does not know, and the key a scenario binds to a letter with
# xmodmap would have none. The server does not reset when its last client leaves, which
# would drop such a key.
exec env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -nolisten tcp -noreset" \
  bash -c 'setxkbmap -symbols pc+us && exec "$@"' run_under_xvfb "$@"
