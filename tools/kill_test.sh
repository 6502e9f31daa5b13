#!/usr/bin/env bash
# Kills the real program with SIGKILL at random moments while a driver keeps
# it writing: the overlay key (grave), key capture on the controls page and
# screenshots (F12), in a loop. After every kill the settings file must be one
# complete file (the old one or a new one, never cut) and every screenshot a
# complete PNG or absent; a screenshot seen complete must never change.
#   tools/kill_test.sh [--keep-going] [KILLS]          default 200
# --keep-going counts the faults and goes on (a broken screenshot is removed
# so that it is counted once); without it the first fault ends the run.
# The program is $VELDRUNE_BIN (default build/veldrune). Without a DISPLAY
# the script runs itself under tools/with_x.sh. Exits 1 on the first fault.
# Every start must remove the temporary files of the runs killed before it:
# once the window shows, none may be left.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
keep_going=0
if [ "${1:-}" = "--keep-going" ]; then keep_going=1; shift; fi
kills="${1:-200}"
bin="$(realpath "${VELDRUNE_BIN:-$root/build/veldrune}")"
if [ -z "${DISPLAY:-}" ]; then
    [ $keep_going = 1 ] && set -- --keep-going "$@"
    exec "$here/with_x.sh" "$0" "$@"
fi
[ -x "$bin" ] || { echo "kill_test: no program at $bin" >&2; exit 2; }

work="$(mktemp -d /tmp/veldrune-kill.XXXXXX)"
"$here/menu_folder.sh" "$work" "[Screen]" "ScreenW = 800" "ScreenH = 600" "[Settings]" "settings.screenmode = 1" \
    "settings.font = DejaVu Sans" "; a comment the program must keep" "settings.language = English"
pictures="$work/.pictures"
before="$work/.before.cfg"
: >"$pictures"

# shellcheck source=tools/xdo.sh
. "$here/xdo.sh"
xdo_item 800x600 OptionsBox >/dev/null || exit 2
press() { xdo_key "$1" 2>/dev/null; }
click_at() {   # relative mode: push to the corner, then move
    xdo_corner; sleep 0.03
    xdo_move "$1" "$2"; sleep 0.03
    xdo_tap 2>/dev/null; sleep 0.05
}
# Keeps the program busy writing until it is killed.
drive() {
    local letters=(k l p z x v g h)
    # The first three bindings' items, each as one "x y" word pair.
    local bindings=()
    mapfile -t bindings < <(xdo_item 800x600 ForwardBox BackwardBox LeftBox)
    press F12
    press grave
    click_at $(xdo_item 800x600 OptionsBox)
    click_at $(xdo_item 800x600 ControlBox)
    # The sub column slides away: until the picture is at rest.
    python3 "$here/x_readback.py" settle "$(xdo_find_window '^Veldrune$')"
    while :; do
        case $((RANDOM % 4)) in
            0) press grave ;;
            1) press F12 ;;
            2) click_at ${bindings[RANDOM % 3]}; press "${letters[RANDOM % 8]}" ;;
            3) press F12; press grave ;;
        esac
    done
}

fail() {
    echo "kill_test: $1" >&2
    echo "kill_test: the folder is kept at $work" >&2
    exit 1
}

done_kills=0
faults=0
stale_temps=0
# Temporary files of earlier runs still there once the program with this pid
# has started: its start-up removes every one whose run is gone.
leftovers_besides() {
    find "$work" -maxdepth 1 \( -name 'Veldrune.cfg.tmp*' -o -name 'Screenshot_*.png.tmp*' \) \
        ! -name "*.tmp$1-*" | wc -l
}
wait_for_window() {
    for _ in $(seq 1 300); do
        [ -n "$(xdo_find_window '^Veldrune$')" ] && return 0
        sleep 0.1
    done
    return 1
}
for ((i = 1; i <= kills; ++i)); do
    cp "$work/Veldrune.cfg" "$before" 2>/dev/null || rm -f "$before"
    (cd "$work" && exec "$bin" >/dev/null 2>&1) &
    pid=$!
    if ((RANDOM % 10 == 0)); then
        # Now and then during start-up, while the Application group is written.
        sleep "$(awk -v r=$RANDOM 'BEGIN { printf "%.3f", (r % 1500) / 1000 }')"
        driver=
    else
        wait_for_window
        left=$(leftovers_besides "$pid")
        if [ "$left" != 0 ]; then
            echo "kill $i: $left temporary files of killed runs were not removed at the start" >&2
            [ $keep_going = 1 ] || fail "leftovers after the start of run $i"
            faults=$((faults + 1))
            stale_temps=$((stale_temps + left))
        fi
        drive &
        driver=$!
        # Anywhere from the first frames to a few seconds of writing.
        sleep "$(awk -v r=$RANDOM 'BEGIN { printf "%.3f", 0.05 + (r % 3000) / 1000 }')"
    fi
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    if [ -n "$driver" ]; then
        kill "$driver" 2>/dev/null
        wait "$driver" 2>/dev/null
    fi
    xdo_release_all
    done_kills=$i
    if ! out="$(python3 "$here/check_outputs.py" "$work" --before "$before" --pictures "$pictures")"; then
        echo "kill $i: $out" >&2
        [ $keep_going = 1 ] || fail "fault after kill $i"
        faults=$((faults + 1))
        # Count a broken picture once: take it away.
        for name in $(echo "$out" | sed -n 's/^FAULT: \(Screenshot_-\{0,1\}[0-9]*\.png\):.*/\1/p'); do
            rm -f "$work/$name"
        done
    fi
    if ! grep -q '^; a comment the program must keep' <(tr -d '\r' <"$work/Veldrune.cfg"); then
        [ $keep_going = 1 ] || fail "the hand-written comment was lost after kill $i"
        faults=$((faults + 1))
    fi
done

# One more start after the last kill clears what that kill left.
(cd "$work" && exec "$bin" >/dev/null 2>&1) &
pid=$!
wait_for_window
left=$(leftovers_besides "$pid")
kill -KILL "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
stale_temps=$((stale_temps + left))
if [ "$left" != 0 ]; then
    [ $keep_going = 1 ] || fail "$left temporary files left after the final restart"
    faults=$((faults + 1))
fi

shots=$(find "$work" -maxdepth 1 -name 'Screenshot_*.png' | wc -l)
echo "kill_test: $done_kills kills, $faults with a fault; $shots screenshots left; $stale_temps temporary files of killed runs found after a restart"
rm -rf "$work"
[ $faults = 0 ]
