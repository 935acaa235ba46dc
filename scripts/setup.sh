#!/usr/bin/env bash
# Installs every Debian package that building, testing and playing need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins libgl-dev
  qt6-charts-dev libqt6charts6 libqt6opengl6-dev qt6-translations-l10n
  libchm-dev fp-utils
  fonts-ipafont-gothic
  xvfb xauth x11-apps imagemagick xdotool
  clang libclang-rt-14-dev
  libbenchmark-dev
  desktop-file-utils appstream dpkg-dev file lintian man-db groff-base
  libx11-dev libxdamage-dev
  fcitx5 fcitx5-mozc fcitx5-frontend-qt6 dbus-daemon dbus-bin ibus ibus-mozc
  at-spi2-core python3-pyatspi weston xwayland qt6-wayland
  tipp10 libqt6sql6-sqlite
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
((${#missing[@]} == 0)) && exit 0

sudo=()
[[ $(id -u) == 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
