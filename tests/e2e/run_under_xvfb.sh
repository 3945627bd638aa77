#!/usr/bin/env bash
# Runs a command on a fresh Xvfb display, on whatever display number is free, and stops
# the server afterwards.   run_under_xvfb.sh COMMAND [ARGUMENT...]
# The program must find this display, not a Wayland session or Qt's offscreen platform.
# The server must not reset when its last client leaves: a reset drops the key the
# scenario binds with xmodmap, and a program connecting meanwhile may find no display.
exec env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -nolisten tcp -noreset" "$@"
