#!/bin/sh
# with-display.sh COMMAND [ARGS...]: runs COMMAND with an X display of its own for the windows it
# shows: a private Xvfb for this run (xvfb-run, package xvfb), so tests never move the pointer on
# someone's desktop. Without Xvfb the display in DISPLAY serves; with neither, COMMAND runs as it
# is and the window tests skip, saying why.
if command -v xvfb-run >/dev/null 2>&1; then
  exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$@"
fi
exec "$@"
