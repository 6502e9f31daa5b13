#!/usr/bin/env bash
# Readies a folder for the menu to start in, for the scripts that drive it:
# the menu font pinned (DejaVu Sans copied into Media/Fonts, so that every
# machine draws the same letters) and a settings file as the program writes
# it (byte-order mark, an empty line, then the given lines, each ended by CR
# LF; tests/settings_lines.h does the same for the C++ suites).
#   tools/menu_folder.sh DIR [LINE ...]     e.g. "[Screen]" "ScreenW = 800"
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: tools/menu_folder.sh DIR [LINE ...]" >&2; exit 2; }
dir=$1; shift
mkdir -p "$dir/Media/Fonts"
cp /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "$dir/Media/Fonts/DejaVu Sans.ttf"
{ printf '\xef\xbb\xbf\r\n'; for line in "$@"; do printf '%s\r\n' "$line"; done; } >"$dir/Veldrune.cfg"
