#!/usr/bin/env bash
# Runs a command with an X display: the current one if set, otherwise a private Xvfb.
set -euo pipefail
if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
  exec "$@"
fi
export QT_QPA_PLATFORM=xcb
export LIBGL_ALWAYS_SOFTWARE=1
# -noreset: by default Xvfb resets whenever its last client leaves, and drops the clients that
# connect meanwhile.
exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
