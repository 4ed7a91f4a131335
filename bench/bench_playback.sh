#!/usr/bin/env bash
# Playback CPU against the mpv command-line player, both under one private X server.
# The command-line player is needed by this benchmark only, so it is installed here and not
# with the build dependencies.
#   bash bench/bench_playback.sh [--runs N] [--clip movie]      (BUILD_DIR defaults to build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
if ! command -v mpv >/dev/null 2>&1; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends mpv
fi
exec xvfb-run -a -s "-screen 0 1920x1080x24" "$build/bench/bench_playback" --player "$build/vistrel" "$@"
