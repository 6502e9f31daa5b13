#!/usr/bin/env bash
# The menu's budget in one table, each figure against its floor:
#   start-up   exec to the first frame on the screen, against the bare SDL
#              program (same window and renderer, one frame) plus the bare
#              decode of the 91 embedded images; target within 1.3x
#   idle       CPU share over 10 s resting on the main page and on the
#              Control page (which re-reads the settings file every frame),
#              against the bare program presenting black frames; target 1.5x
#   frame      CPU time per frame on each page against an empty frame
#   screenshot capture and save at 1280x720, against one refresh period
#   memory     peak resident memory at each of the three sizes
#   bench/budget.sh [RUNS]        default 5 start-ups of each
# The first frame is seen from outside: the watcher (bare_sdl watch) starts
# the program and reads the screen back from the X server every millisecond
# until the band where the menu shows its title lights up; the bare program
# presents white, so the same test times both. Everything runs in a window
# at 800x600 (screen mode 1), so no mode switch is timed. Runs under the
# Xorg dummy driver (85 Hz) when it can, else under Xvfb.
# Programs: $VELDRUNE_BIN (default build/veldrune), $VELDRUNE_BENCH_DIR
# (default build/bench) for bare_sdl and x11_platform.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
runs="${1:-5}"
bin="$(realpath "${VELDRUNE_BIN:-$root/build/veldrune}")"
benchdir="$(realpath "${VELDRUNE_BENCH_DIR:-$root/build/bench}")"
bare="$benchdir/bare_sdl"
if [ -z "${DISPLAY:-}" ]; then
    if command -v Xorg >/dev/null && [ "$(id -u)" = 0 ]; then
        exec "$root/tools/with_x.sh" --xorg "$0" "$@"
    fi
    exec "$root/tools/with_x.sh" "$0" "$@"
fi
[ -x "$bin" ] && [ -x "$bare" ] || { echo "budget: build veldrune and bench/bare_sdl first" >&2; exit 2; }
hz=$(getconf CLK_TCK)
work="$(mktemp -d /tmp/veldrune-budget.XXXXXX)"
trap 'rm -rf "$work"' EXIT
cd "$work"

settings() {   # settings W H
    mkdir -p Media/Fonts
    cp /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "Media/Fonts/DejaVu Sans.ttf"
    printf '\xef\xbb\xbf\r\n[Screen]\r\nScreenW = %s\r\nScreenH = %s\r\n[Settings]\r\nsettings.screenmode = 1\r\nsettings.font = DejaVu Sans\r\n' \
        "$1" "$2" >Veldrune.cfg
}
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else print v[int((NR + 1) / 2)] }'; }
ticks() { awk '{ sub(/.*\) /, ""); split($0, f, " "); print f[12] + f[13] }' "/proc/$1/stat" 2>/dev/null || echo 0; }
press() { xdotool keydown "$1"; sleep 0.08; xdotool keyup "$1"; sleep 0.3; }
click_at() {
    xdotool mousemove_relative -- -4000 -4000; sleep 0.1
    xdotool mousemove_relative -- "$1" "$2"; sleep 0.1
    xdotool mousedown 1; sleep 0.1; xdotool mouseup 1; sleep 0.3
}
wait_window() {
    for _ in $(seq 1 300); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
        [ -n "$id" ] && { xdotool windowactivate --sync "$id" 2>/dev/null; return 0; }
        sleep 0.1
    done
    return 1
}
# CPU seconds of a process over 10 s, as a share of one core.
share10() {
    local a b
    a=$(ticks "$1"); sleep 10; b=$(ticks "$1")
    awk -v a="$a" -v b="$b" -v hz="$hz" 'BEGIN { printf "%.3f", (b - a) / hz / 10 }'
}
stop() { kill -KILL "$1" 2>/dev/null; wait "$1" 2>/dev/null; }

# [start-up]
settings 800 600
game_ms=$(for _ in $(seq 1 "$runs"); do "$bare" watch "$bin"; sleep 0.5; done | median)
bare_ms=$(for _ in $(seq 1 "$runs"); do "$bare" watch "$bare" present 800 600 0; sleep 0.5; done | median)
decode_ms=$("$bare" decode 5)

# [idle and frame]: the bare program's rate is the rate the menu presents at.
"$bare" present 800 600 14 black >bare_frames &
barepid=$!
sleep 3
bare_share=$(share10 $barepid)
wait $barepid
rate=$(awk '{ printf "%.1f", $1 / 14 }' bare_frames)

declare -A page_share
for page in main control credits; do
    "$bin" >/dev/null 2>&1 &
    pid=$!
    wait_window '^Veldrune$'
    sleep 2
    case $page in
        control) click_at 400 510; click_at 400 190 ;;   # Options, then Control
        credits) press m ;;                               # Mitwirkende
    esac
    sleep 2
    page_share[$page]=$(share10 $pid)
    stop $pid
done

# [screenshot]
shot_ms=nan
if [ -x "$benchdir/x11_platform" ]; then
    shot_ms=$("$benchdir/x11_platform" --benchmark_filter='CaptureAndSave1280x720$' --benchmark_format=csv 2>/dev/null |
        awk -F, '/CaptureAndSave1280x720/ { printf "%.1f", $3 }')
    [ -n "$shot_ms" ] || shot_ms=nan
fi

# [memory]
declare -A peak
for size in 800x600 1024x768 1280x720; do
    settings "${size%x*}" "${size#*x}"
    "$bin" >/dev/null 2>&1 &
    pid=$!
    wait_window '^Veldrune$'
    sleep 2
    press F12
    click_at 400 510
    sleep 1.5
    peak[$size]=$(awk '/VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status")
    stop $pid
done

awk -v g="$game_ms" -v b="$bare_ms" -v d="$decode_ms" -v bs="$bare_share" \
    -v m="${page_share[main]}" -v c="${page_share[control]}" -v cr="${page_share[credits]}" \
    -v rate="$rate" -v shot="$shot_ms" \
    -v p1="${peak[800x600]}" -v p2="${peak[1024x768]}" -v p3="${peak[1280x720]}" 'BEGIN {
    line = "+--------------------------------+------------+------------+--------+--------+"
    print line
    printf "| %-30s | %10s | %10s | %6s | %6s |\n", "measure", "Veldrune", "floor", "ratio", "target"
    print line
    floor = b + d
    printf "| %-30s | %7.0f ms | %7.0f ms | %6.2f | %6s |\n", "start-up to first frame", g, floor, g / floor, "1.3"
    printf "| %-30s | %10s | %7.0f ms | %6s | %6s |\n", "  of it: window + 1 frame", "", b, "", ""
    printf "| %-30s | %10s | %7.0f ms | %6s | %6s |\n", "  of it: bare image decode", "", d, "", ""
    printf "| %-30s | %9.1f%% | %9.1f%% | %6.2f | %6s |\n", "idle CPU, main page", m * 100, bs * 100, m / bs, "1.5"
    printf "| %-30s | %9.1f%% | %9.1f%% | %6.2f | %6s |\n", "idle CPU, Control page", c * 100, bs * 100, c / bs, "1.5"
    printf "| %-30s | %9.1f%% | %9.1f%% | %6.2f | %6s |\n", "idle CPU, Credits page", cr * 100, bs * 100, cr / bs, ""
    fm = m * 1000 / rate; fc = c * 1000 / rate; fr = cr * 1000 / rate; fb = bs * 1000 / rate
    heavy = fm; name = "main"
    if (fc > heavy) { heavy = fc; name = "Control" }
    if (fr > heavy) { heavy = fr; name = "Credits" }
    printf "| %-30s | %7.2f ms | %7.2f ms | %6.2f | %6s |\n", "CPU per frame, " name " page", heavy, fb, heavy / fb, ""
    period = 1000 / rate
    printf "| %-30s | %7s ms | %7.1f ms | %6s | %6s |\n", "screenshot 1280x720", shot, period, (shot == "nan" ? "-" : sprintf("%.2f", shot / period)), ""
    printf "| %-30s | %7.1f MB | %10s | %6s | %6s |\n", "peak RSS 800x600", p1, "", "", ""
    printf "| %-30s | %7.1f MB | %10s | %6s | %6s |\n", "peak RSS 1024x768", p2, "", "", ""
    printf "| %-30s | %7.1f MB | %10s | %6s | %6s |\n", "peak RSS 1280x720", p3, "", "", ""
    print line
    printf "frames presented per second (bare program): %.1f\n", rate
}'
