#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the program and the tests need.
set -euo pipefail
packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libjpeg-dev libpng-dev libxcb-xfixes0-dev libbenchmark-dev libx11-dev libxtst-dev libxdamage-dev
  libhunspell-dev hunspell-de-de hunspell libicu-dev unicode-data fortunes-de
  fonts-liberation2 fonts-dejavu-core
  xvfb openbox trayer xdotool x11-utils xclip imagemagick weston qt6-wayland
  dbus at-spi2-core python3-pyatspi
  qt6-qpa-plugins qt6-translations-l10n xdg-utils desktop-file-utils appstream dpkg-dev file lintian
  clang libclang-rt-14-dev llvm
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
