#!/usr/bin/env bash
# Switching between movies against the mpv command-line player, both under one private X
# server. mpv is needed by this benchmark only, so it is installed here.
#   bash bench/bench_switching.sh [--rounds N]      (BUILD_DIR defaults to build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
if ! command -v mpv >/dev/null 2>&1; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends mpv
fi
exec xvfb-run -a -s "-screen 0 1920x1080x24" "$build/bench/bench_switching" "$@"
