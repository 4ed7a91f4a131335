#!/usr/bin/env bash
# Installs what is missing, builds, and plays the sample movie. Without a display it runs the
# player under a virtual X server (xvfb-run) and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/vistrel build/sample.mp4
fi
echo "No display found: running Vistrel under xvfb-run (a virtual X server; nothing appears on screen)."
echo "Stop it with Ctrl-C."
exec xvfb-run -a -s "-screen 0 1280x800x24" build/vistrel build/sample.mp4
