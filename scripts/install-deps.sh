#!/usr/bin/env bash
# Installs, from Debian's repositories, everything Vistrel needs to build, run and test.
# Safe to run again: it only installs what is missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev libxcb1-dev
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libx11-dev libxext-dev libxtst-dev
  libmpv-dev libavformat-dev libavcodec-dev libavutil-dev libplist-dev
  ffmpeg yt-dlp xvfb xauth xdotool imagemagick openbox picom x11-utils trayer
  qt6-wayland weston
  dbus-x11 mesa-utils libgl1-mesa-dri
  dbus-daemon dbus-bin playerctl
  clang libclang-rt-14-dev
  appstream desktop-file-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
