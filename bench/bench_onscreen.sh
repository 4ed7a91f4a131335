#!/usr/bin/env bash
# What the user waits for, timed from outside the player against the mpv command-line player,
# both under one private X server: a switch to the next movie, the first frame, a huge folder
# opened at launch. mpv and openbox are needed by this benchmark only, so they are installed
# here.
#   bash bench/bench_onscreen.sh switch|first-frame|launch-tree [--rounds N] [--cold]
#   (BUILD_DIR defaults to build; --cold is for first-frame, as root)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
missing=()
command -v mpv >/dev/null 2>&1 || missing+=(mpv)
command -v openbox >/dev/null 2>&1 || missing+=(openbox)
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
exec xvfb-run -a -s "-screen 0 1920x1080x24" "$build/bench/bench_onscreen" --player "$build/vistrel" "$@"
