#!/usr/bin/env bash
# Installs from Debian's packages what Veldrune needs. Does nothing when
# everything asked for is already there.
#   tools/install_deps.sh            everything: building, running, packaging,
#                                    testing (dpkg-dev for the package's library
#                                    dependencies, the checkers for its test)
#   tools/install_deps.sh --play     only what building and starting the menu needs
#   tools/install_deps.sh --tour     the virtual X display the menu's tour runs on
#                                    where there is no display (tools/start.sh)
set -euo pipefail
PLAY=(
  build-essential cmake pkg-config
  libsdl2-dev libsdl2-ttf-dev libsdl2-mixer-dev libvorbis-dev libpng-dev zlib1g-dev libfontconfig-dev libx11-dev
  libspeechd-dev libdbus-1-dev
  fonts-dejavu-core x11-utils
)
TOUR=(xvfb openbox xdotool python3)
TEST=(
  libgtest-dev libbenchmark-dev clang
  x11-xserver-utils wmctrl xserver-xorg-core xserver-xorg-video-dummy libxdamage-dev libxrandr-dev
  sway xwayland grim jq libxkbcommon-dev xkb-data
  fonts-linuxlibertine dosfstools dbus-x11
  pulseaudio pulseaudio-utils
  speech-dispatcher speech-dispatcher-espeak-ng dbus at-spi2-core libglib2.0-bin
  dpkg-dev file lintian desktop-file-utils appstream
)
case "${1:-}" in
  "") PACKAGES=("${PLAY[@]}" "${TOUR[@]}" "${TEST[@]}") ;;
  --play) PACKAGES=("${PLAY[@]}") ;;
  --tour) PACKAGES=("${TOUR[@]}") ;;
  *) echo "usage: install_deps.sh [--play|--tour]" >&2; exit 2 ;;
esac
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
