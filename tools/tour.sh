#!/usr/bin/env bash
# Walks through a few pages of the menu on the current X display and saves a
# screenshot of each with the screenshot key (F12), then quits:
#   tools/tour.sh PROGRAM WORKDIR [LANGUAGE]
# Prints the paths of the pictures. Used by tools/start.sh where no monitor
# is attached.
set -euo pipefail
program="$(realpath "$1")"; dir="$2"; language="${3:-English}"
mkdir -p "$dir"; cd "$dir"
rm -f Veldrune.cfg Screenshot_*.png
printf '\xEF\xBB\xBF\r\n[Screen]\r\nScreenW = 800\r\nScreenH = 600\r\n[Settings]\r\nsettings.screenmode = 1\r\nsettings.language = %s\r\n' "$language" > Veldrune.cfg

"$program" >/dev/null 2>&1 &
pid=$!
for _ in $(seq 1 100); do
  xdotool search --onlyvisible --name '^Veldrune$' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1
key() { xdotool keydown "$1"; sleep 0.08; xdotool keyup "$1"; sleep 0.15; }
# The menu reads relative mouse motion: push the pointer into the corner,
# then move it by the wanted amount.
point() { xdotool mousemove_relative -- -4000 -4000; sleep 0.1; xdotool mousemove_relative -- "$1" "$2"; sleep 0.1; }
click() { xdotool mousedown 1; sleep 0.12; xdotool mouseup 1; sleep 0.2; }
shot() { sleep 0.6; key F12; sleep 0.4; }

point 700 40
shot                                    # the main page
key o; sleep 1.2; shot                  # Options, after the sub column's hotkeys wake up
key t; sleep 0.8; shot                  # Control: the key bindings
point 240 220; click; sleep 0.8         # Gameplay in the shifted column
point 400 220; click; sleep 0.5         # Language
point 560 250; shot                     # hovering the second language
if [ "$language" = German ]; then key m; else key c; fi
sleep 0.5; shot                         # Credits
key Escape; sleep 0.3; key Escape
wait "$pid" || true
ls -1 "$PWD"/Screenshot_*.png
