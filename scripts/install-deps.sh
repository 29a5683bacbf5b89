#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the tools need.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang ccache
  libjsoncpp-dev libudev-dev libcurl4-openssl-dev libfontconfig-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  umockdev libumockdev-dev
  qt6-base-dev qt6-tools-dev libqt6uitools6 qt6-tools-dev-tools libqt6opengl6-dev libxkbcommon-dev
  libqt6svg6
  libx11-dev libxi-dev libxtst-dev
  pulseaudio pulseaudio-utils libpulse-dev ladspa-sdk
  xvfb xauth dbus dbus-x11 xdotool imagemagick fonts-wqy-microhei
  python3 openssl appstream desktop-file-utils dpkg-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
