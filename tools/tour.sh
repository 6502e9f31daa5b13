#!/usr/bin/env bash
# Walks through a few pages of the menu on the current X display and saves a
# screenshot of each with the screenshot key (F12), then quits:
#   tools/tour.sh PROGRAM WORKDIR [LANGUAGE]
# Prints the paths of the pictures. Used by tools/start.sh where no monitor
# is attached.
set -euo pipefail
program="$(realpath "$1")"; dir="$2"; language="${3:-English}"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/xdo.sh"
mkdir -p "$dir"; cd "$dir"
rm -f Screenshot_*.png
"$here/menu_folder.sh" . "[Screen]" "ScreenW = 800" "ScreenH = 600" "[Settings]" "settings.screenmode = 1" \
  "settings.language = $language"

"$program" >/dev/null 2>&1 &
pid=$!
xdo_wait_window "$pid" >/dev/null || true
shots=0
# Once the page is at rest; the picture is there once its file is complete.
shot() {
  xdo_settle || true
  xdo_key F12
  shots=$((shots + 1))
  for _ in $(seq 1 200); do [ -s "Screenshot_$shots.png" ] && break; sleep 0.1; done
}

xdo_point 700 40                            # away from every item
shot                                        # the main page
xdo_press o; shot                           # Options
xdo_press_until t; shot                     # Control (its letter wakes up after the Options delay): the key bindings
xdo_point $(xdo_item 800x600 --shifted GameplayBox); xdo_click   # Gameplay in the shifted column
xdo_point $(xdo_item 800x600 LanguageBox); xdo_click
xdo_point $(xdo_item 800x600 EnglishBox); shot                   # hovering the second language
if [ "$language" = German ]; then xdo_press m; else xdo_press c; fi
shot                                        # Credits
xdo_press Escape; xdo_key Escape
wait "$pid" || true
ls -1 "$PWD"/Screenshot_*.png
