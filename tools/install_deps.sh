#!/usr/bin/env bash
# Installs what building, running, packaging and testing Veldrune needs, from
# Debian's packages (dpkg-dev for the package's library dependencies, the
# checkers for its test). Does nothing when everything is already there.
set -euo pipefail
PACKAGES=(
  build-essential cmake pkg-config
  libsdl2-dev libsdl2-ttf-dev libsdl2-mixer-dev libvorbis-dev libpng-dev zlib1g-dev libfontconfig-dev
  libspeechd-dev libdbus-1-dev
  libgtest-dev libbenchmark-dev clang
  xvfb openbox xdotool x11-utils x11-xserver-utils xserver-xorg-core xserver-xorg-video-dummy libxdamage-dev libxrandr-dev
  sway xwayland grim jq libxkbcommon-dev xkb-data
  fonts-dejavu-core fonts-linuxlibertine python3 dosfstools
  pulseaudio pulseaudio-utils
  speech-dispatcher speech-dispatcher-espeak-ng dbus at-spi2-core libglib2.0-bin
  dpkg-dev file lintian desktop-file-utils appstream
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then exit 0; fi
echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
