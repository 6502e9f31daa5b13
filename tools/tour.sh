#!/usr/bin/env bash
# Walks through a few pages of the menu on the current X display and saves a
# screenshot of each with the screenshot key (F12), then quits:
#   tools/tour.sh PROGRAM WORKDIR [LANGUAGE]
# Prints the paths of the pictures. Used by tools/start.sh where no monitor
# is attached.
set -euo pipefail
program="$(realpath "$1")"; dir="$2"; language="${3:-English}"
source "$(dirname "$0")/xdo.sh"
mkdir -p "$dir"; cd "$dir"
rm -f Veldrune.cfg Screenshot_*.png
printf '\xEF\xBB\xBF\r\n[Screen]\r\nScreenW = 800\r\nScreenH = 600\r\n[Settings]\r\nsettings.screenmode = 1\r\nsettings.language = %s\r\n' "$language" > Veldrune.cfg

"$program" >/dev/null 2>&1 &
pid=$!
xdo_wait_window "$pid" >/dev/null || true
shot() { sleep 0.6; xdo_key F12; sleep 0.4; }

xdo_point 700 40
shot                                        # the main page
xdo_key o; sleep 1.2; shot                  # Options, after the sub column's hotkeys wake up
xdo_key t; sleep 0.8; shot                  # Control: the key bindings
xdo_point 240 220; xdo_click; sleep 0.8     # Gameplay in the shifted column
xdo_point 400 220; xdo_click; sleep 0.5     # Language
xdo_point 560 250; shot                     # hovering the second language
if [ "$language" = German ]; then xdo_key m; else xdo_key c; fi
sleep 0.5; shot                             # Credits
xdo_key Escape; sleep 0.3; xdo_key Escape
wait "$pid" || true
ls -1 "$PWD"/Screenshot_*.png
