#!/usr/bin/env bash
# The menu's budget in one table, each figure beside its floor, both measured
# in this one run, one after the other:
#   start-up   exec to the first frame on the screen, against the bare SDL
#              program (same window and renderer, one frame) plus the bare
#              decode of the 91 embedded images; target within 1.3x
#   idle       CPU share resting on the main page and on the Control page,
#              full screen at 800x600, 1024x768 and 1280x720 and in a window
#              at 800x600, against the bare program presenting black frames
#              every refresh (target 0.1x) and against the bare program that
#              presents once and then only polls (stretch: within 3x of it)
#   changing   the capture page, whose prompt blinks every frame: target 1.5x
#              the bare program presenting every frame
#   frame      CPU time per frame of the busiest idle page against an empty one
#   screenshot capture and save at 1280x720, against one refresh period
#   memory     peak resident memory at 1280x720 full screen after every page
#              has been shown, against the bare program; target 1.3x
#   screens    full screen at 800x600 and 1280x720, the borderless window
#              stretched over the desktop (settings.screenmode 2) and full
#              screen on a fixed 1920x1080 panel (its own Xorg, as root): the
#              still main page (target 1.5x the bare program on SDL's software
#              renderer presenting once, then polling), the pointer moving on
#              the main page at 40 motions a second and the capture page
#              (target 0.5x the same bare program presenting a full frame
#              every refresh)
#   music      the main page at rest in a window at 800x600 with
#              settings.music 1 beside the same with 0: CPU, start-up and
#              peak memory, played into a sound server's null sink (a private
#              one when pulseaudio is installed, else SDL's disk audio into a
#              scratch file); targets: at most 0.5 % of a core, 20 ms and
#              6 MB more than with music off
#   Wayland    the same three rows on a headless sway (tools/with_sway.sh),
#              natively (SDL's wayland driver), full screen at 800x600 and
#              1280x720 on its 1280x720 output, against the same bare program
#              on that display (its software frames go through a GL texture
#              there, as the menu's do); and peak memory there. Targets: the
#              still page 1.5x the bare program presenting once, the pointer
#              moving 1.0x the bare one presenting every refresh.
#
#   bench/budget.sh [RUNS]      default 5 start-ups of each
#   BUDGET_SECONDS=N            CPU sample length (default 10 s)
#   BUDGET_MUSIC=1              only the music rows
#   BUDGET_SPEECH=1             only the speech rows
#   BUDGET_ONLY=wayland         only the Wayland rows (about 2 minutes at 10 s)
#
# Runs as root with no display: it then starts its own Xorg with the dummy
# driver (85 Hz, real mode switches), else Xvfb (no full-screen modes; the
# full-screen rows then measure a desktop-sized window). With DISPLAY set it
# uses that display. Takes about 5 minutes at the default sample length.
# SDL_RENDER_DRIVER, when set, applies to the menu and the bare program alike.
# The first frame is seen from outside: the watcher (bare_sdl watch) starts
# the program and reads the screen back from the X server every millisecond
# until the band where the menu shows its title lights up; the bare program
# presents white, so the same test times both; the start-up runs in a window
# at 800x600 (screen mode 1), so no mode switch is timed.
# Programs: $VELDRUNE_BIN (default build/veldrune), $VELDRUNE_BENCH_DIR
# (default build/bench) for bare_sdl and x11_platform. Without
# VELDRUNE_BENCH_DIR it builds them first in build/, with the benchmarks
# turned on there (-DVELDRUNE_BENCH=ON; they are off by default).
# The machine should be quiet: every figure is a share of a core, and other
# work on the machine moves them (the ratios less than the figures).
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
runs="${1:-5}"
seconds="${BUDGET_SECONDS:-10}"
if [ -z "${VELDRUNE_BENCH_DIR:-}" ]; then
    { cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELDRUNE_BENCH=ON >/dev/null &&
      cmake --build "$root/build" -j"$(nproc)" --target veldrune menu_points bare_sdl x11_platform virtual_input >&2; } ||
        { echo "budget: the build failed" >&2; exit 2; }
    export VELDRUNE_BENCH_DIR="$root/build/bench"   # built: the run under X below need not again
fi
bin="$(realpath "${VELDRUNE_BIN:-$root/build/veldrune}")"
benchdir="$(realpath "${VELDRUNE_BENCH_DIR:-$root/build/bench}")"
bare="$benchdir/bare_sdl"
if [ -z "${DISPLAY:-}" ] && [ "${BUDGET_ONLY:-}" != wayland ]; then
    if command -v Xorg >/dev/null && [ "$(id -u)" = 0 ]; then
        exec "$root/tools/with_x.sh" --xorg "$0" "$@"
    fi
    exec "$root/tools/with_x.sh" "$0" "$@"
fi
[ -x "$bin" ] && [ -x "$bare" ] || { echo "budget: no $bin or $bare (cmake -DVELDRUNE_BENCH=ON, targets veldrune bare_sdl)" >&2; exit 2; }
[ "${BUDGET_ONLY:-}" = wayland ] || command -v xdotool >/dev/null || { echo "budget: needs xdotool (tools/install_deps.sh)" >&2; exit 2; }
hz=$(getconf CLK_TCK)
work="$(mktemp -d /tmp/veldrune-budget.XXXXXX)"
trap 'rm -rf "$work"' EXIT
cd "$work"
echo "budget: display ${WAYLAND_DISPLAY:-${DISPLAY:-none}}, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg); about 5 minutes" >&2

settings() {   # settings W H MODE [STRETCH [LINE ...]]: further lines of the [Settings] group
    local w=$1 h=$2 mode=$3 stretch=${4:-0}
    shift $(($# < 4 ? $# : 4))
    "$root/tools/menu_folder.sh" . "[Screen]" "ScreenW = $w" "ScreenH = $h" "ScreenS = $stretch" "[Settings]" \
        "settings.screenmode = $mode" "settings.font = DejaVu Sans" "$@"
}
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else print v[int((NR + 1) / 2)] }'; }
ticks() { awk '{ sub(/.*\) /, ""); split($0, f, " "); print f[12] + f[13] }' "/proc/$1/stat" 2>/dev/null || echo 0; }
# shellcheck source=tools/xdo.sh
. "$root/tools/xdo.sh"
press() { xdo_key "$1"; sleep 0.3; }
click_at() {
    xdo_corner; sleep 0.1
    xdo_move "$1" "$2"; sleep 0.1
    xdo_tap; sleep 0.3
}
wait_window() {
    for _ in $(seq 1 300); do
        xdo_activate "$1" && return 0
        sleep 0.1
    done
    return 1
}
# The X server's process: it does the copying of every presented frame to the
# screen, so its CPU is counted beside each program's own.
xserver=""
[ -n "${DISPLAY:-}" ] && xserver=$(pgrep -o -f "^(/usr/lib/xorg/)?(Xorg|Xvfb) ${DISPLAY}( |\$)" || true)
# CPU seconds of a process over the sample, as a share of one core, then the
# same with the X server's share over the same time added.
share() {
    local a b xa xb
    a=$(ticks "$1"); xa=$(ticks "${xserver:-0}"); sleep "$seconds"; b=$(ticks "$1"); xb=$(ticks "${xserver:-0}")
    awk -v a="$a" -v b="$b" -v xa="$xa" -v xb="$xb" -v hz="$hz" -v s="$seconds" \
        'BEGIN { printf "%.4f %.4f", (b - a) / hz / s, (b - a + xb - xa) / hz / s }'
}
peak_mb() { awk '/VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status" 2>/dev/null || echo nan; }
stop() { kill -KILL "$1" 2>/dev/null; wait "$1" 2>/dev/null; }
# The menu on PAGE: main, control, capture (the Forward binding waiting for a key).
menu_on_page() {   # menu_on_page PAGE SIZE
    "$bin" >/dev/null 2>&1 &
    pid=$!
    wait_window '^Veldrune$'
    sleep 2
    case $1 in
        control | capture) press o; sleep 1.5; press t ;;
    esac
    # shellcheck disable=SC2046
    [ "$1" = capture ] && click_at $(xdo_item "$2" ForwardBox)
    sleep 2
}

# [screens]: prints "cpu CONFIG,WHAT own withX" lines for each config given.
# The pointer mover sends 40 relative motions a second, a few pixels back and
# forth away from every item, for as long as it runs.
move_pointer() {
    while :; do
        xdo_move 3 -2; sleep 0.02
        xdo_move -3 2; sleep 0.02
    done
}
screens() {
    local config w h mode how floor p mover
    for config in "$@"; do
        case $config in
            full800) w=800 h=600 mode=3 how=full ;;
            full1280) w=1280 h=720 mode=3 how=full ;;
            borderless) w=800 h=600 mode=2 how=desktop ;;
            panel) w=800 h=600 mode=3 how=desktop ;;
            # Wayland cannot switch modes: the bare program covers the
            # desktop with its 800x600 back buffer scaled, as the menu does.
            wl800) w=800 h=600 mode=3 how=desktop ;;
            wl1280) w=1280 h=720 mode=3 how=full ;;
        esac
        for floor in every once; do
            "$bare" present "$w" "$h" $((seconds + 4)) black "$how" "$floor" software >/dev/null &
            p=$!
            sleep 3
            echo "cpu $config,sw_$floor $(share $p)"
            [ "$floor" = every ] && echo "peak $config,bare $(peak_mb $p)"
            wait $p
        done
        settings "$w" "$h" "$mode" 1
        menu_on_page main "${w}x$h"
        echo "cpu $config,rest $(share $pid)"
        move_pointer &
        mover=$!
        sleep 1
        echo "cpu $config,moving $(share $pid)"
        kill $mover; wait $mover 2>/dev/null
        stop $pid
        menu_on_page capture "${w}x$h"
        echo "cpu $config,capture $(share $pid)"
        echo "peak $config,menu $(peak_mb $pid)"
        stop $pid
    done
}
# [music]: prints its own small table, music on beside music off.
music_rows() {
    local sound_dir="" m p
    declare -A mcpu mstart mpeak
    if command -v pulseaudio >/dev/null; then
        sound_dir="$(mktemp -d)"
        if PULSE_SERVER=$("$root/tools/sound_server.sh" start "$sound_dir"); then export PULSE_SERVER
        else echo "budget: the sound server did not start" >&2; unset PULSE_SERVER; fi
    fi
    [ -n "${PULSE_SERVER:-}" ] || export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw"
    for m in 1 0; do
        settings 800 600 1 0 "settings.music = $m"
        mstart[$m]=$(for _ in $(seq 1 "$runs"); do "$bare" watch "$bin"; sleep 0.5; done | median)
        "$bin" >/dev/null 2>&1 &
        p=$!
        wait_window '^Veldrune$'
        sleep 3   # past the music's fade-in
        mcpu[$m]=$(share $p | cut -d' ' -f1)
        mpeak[$m]=$(peak_mb $p)
        stop $p
    done
    unset SDL_AUDIODRIVER SDL_DISKAUDIOFILE
    if [ -n "$sound_dir" ]; then
        "$root/tools/sound_server.sh" stop "$sound_dir"
        unset PULSE_SERVER
        rm -rf "$sound_dir"
    fi
    local via="a null-sink sound server"
    [ -n "$sound_dir" ] || via="SDL's disk audio"
    awk -v c1="${mcpu[1]}" -v c0="${mcpu[0]}" -v s1="${mstart[1]}" -v s0="${mstart[0]}" \
        -v p1="${mpeak[1]}" -v p0="${mpeak[0]}" -v via="$via" 'BEGIN {
        line = "+--------------------------------------------------+------------+------------+------------+----------+"
        print line
        printf "| %-48s | %10s | %10s | %10s | %-8s |\n", "music, main page at rest, 800x600 window", "music 1", "music 0", "added", "target"
        print line
        printf "| %-48s | %9.2f%% | %9.2f%% | %9.2f%% | %-8s |\n", "CPU, share of one core", c1 * 100, c0 * 100, (c1 - c0) * 100, "<= 0.5%"
        printf "| %-48s | %7.1f ms | %7.1f ms | %7.1f ms | %-8s |\n", "start-up to first frame", s1, s0, s1 - s0, "<= 20 ms"
        printf "| %-48s | %7.1f MB | %7.1f MB | %7.1f MB | %-8s |\n", "peak resident memory", p1, p0, p1 - p0, "<= 6 MB"
        print line
        print "played into " via
    }'
}
# [speech]: its own small table: settings.speech 1 (speech-dispatcher,
# started by the program in a private runtime folder, has said the page and
# then nothing more) beside 0, and beside the default with no session bus
# (the desktop's switch reads off at once): CPU at rest, start-up, memory.
speech_rows() {
    local s p runtime
    declare -A scpu sstart speak
    runtime="$(mktemp -d)"
    chmod 700 "$runtime"
    for s in 1 0 desktop; do
        settings 800 600 1 0 "settings.music = 0" "settings.speech = $s"
        sstart[$s]=$(for _ in $(seq 1 "$runs"); do
            XDG_RUNTIME_DIR="$runtime" DBUS_SESSION_BUS_ADDRESS= "$bare" watch "$bin"; sleep 0.5; done | median)
        XDG_RUNTIME_DIR="$runtime" DBUS_SESSION_BUS_ADDRESS= "$bin" >/dev/null 2>&1 &
        p=$!
        wait_window '^Veldrune$'
        sleep 3   # past the page's words
        scpu[$s]=$(share $p | cut -d' ' -f1)
        speak[$s]=$(peak_mb $p)
        stop $p
    done
    pkill -KILL -f -- "--socket-path $runtime/" 2>/dev/null   # the speech server the program started (it outlives a TERM here)
    rm -rf "$runtime"
    awk -v c1="${scpu[1]}" -v c0="${scpu[0]}" -v cd="${scpu[desktop]}" -v s1="${sstart[1]}" -v s0="${sstart[0]}" \
        -v sd="${sstart[desktop]}" -v p1="${speak[1]}" -v p0="${speak[0]}" -v pd="${speak[desktop]}" 'BEGIN {
        line = "+--------------------------------------+------------+------------+------------+------------+--------------+"
        print line
        printf "| %-36s | %10s | %10s | %10s | %10s | %-12s |\n", "speech, main page at rest, 800x600", "speech 1", "speech 0", "1 added", "no bus", "target"
        print line
        printf "| %-36s | %9.2f%% | %9.2f%% | %9.2f%% | %9.2f%% | %-12s |\n", "CPU, share of one core", c1 * 100, c0 * 100, (c1 - c0) * 100, cd * 100, "+0.2%, same"
        printf "| %-36s | %7.1f ms | %7.1f ms | %7.1f ms | %7.1f ms | %-12s |\n", "start-up to first frame", s1, s0, s1 - s0, sd, "no bus = 0"
        printf "| %-36s | %7.1f MB | %7.1f MB | %7.1f MB | %7.1f MB | %-12s |\n", "peak resident memory", p1, p0, p1 - p0, pd, "no bus = 0"
        print line
    }'
}
if [ -n "${BUDGET_MUSIC:-}" ]; then
    music_rows
    exit 0
fi
if [ -n "${BUDGET_SPEECH:-}" ]; then
    speech_rows
    exit 0
fi

# [Wayland]: this script again under tools/with_sway.sh, natively. The keys
# and the pointer go through the virtual keyboard and pointer the desktop holds,
# the windows are sway's, and sway's CPU is counted where the X server's was.
if [ -n "${BUDGET_WAYLAND:-}" ]; then
    export SDL_VIDEODRIVER=wayland
    pointer() { echo "$*" >"$VELDRUNE_INPUT_FIFO"; }
    press() { pointer key "$1"; sleep 0.4; }
    click_at() {
        pointer move -4000 -4000; sleep 0.1
        pointer move "$1" "$2"; sleep 0.1
        pointer down; sleep 0.1; pointer up; sleep 0.3
    }
    move_pointer() {
        while :; do
            pointer move 3 -2; sleep 0.02
            pointer move -3 2; sleep 0.02
        done
    }
    wait_window() {
        for _ in $(seq 1 300); do
            swaymsg -t get_tree | jq -e --arg title "$1" \
                '[.. | objects | select(.pid? != null and ((.name // "") | test($title)))] | length > 0' \
                >/dev/null && return 0
            sleep 0.1
        done
        return 1
    }
    xserver="${SWAYSOCK%.sock}"; xserver="${xserver##*.}"
    screens wl800 wl1280
    exit 0
fi
wayland_rows() {
    VELDRUNE_VIRTUAL_INPUT="${VELDRUNE_VIRTUAL_INPUT:-$root/build/tests/virtual_input}" \
        "$root/tools/with_sway.sh" env BUDGET_WAYLAND=1 BUDGET_SECONDS="$seconds" "$here/budget.sh" 2>/dev/null
}
if [ -n "${BUDGET_SCREENS:-}" ]; then
    # A run of its own on another display (the panel): only these rows.
    # shellcheck disable=SC2086
    screens $BUDGET_SCREENS
    exit 0
fi
declare -A cpu rate
table_only=0
if [ "${BUDGET_ONLY:-}" = wayland ]; then
    wayland_rows >screen_rows || { echo "budget: the Wayland run failed" >&2; exit 1; }
    table_only=1
fi
if [ "$table_only" = 0 ]; then

# [start-up]
settings 800 600 1
game_ms=$(for _ in $(seq 1 "$runs"); do "$bare" watch "$bin"; sleep 0.5; done | median)
bare_ms=$(for _ in $(seq 1 "$runs"); do "$bare" watch "$bare" present 800 600 0; sleep 0.5; done | median)
decode_ms=$("$bare" decode 5)

# [idle and changing pages]: the bare programs' rows first, then the menu's.
for size in 800x600 1024x768 1280x720 window; do
    if [ "$size" = window ]; then w=800 h=600 mode=1 screen=window; else w=${size%x*} h=${size#*x} mode=3 screen=full; fi
    for how in every once; do
        "$bare" present "$w" "$h" $((seconds + 4)) black "$screen" "$how" >bare_frames &
        barepid=$!
        sleep 3
        cpu[$size,bare_$how]=$(share $barepid)
        [ "$how" = every ] && [ "$size" = 1280x720 ] && cpu[bare_peak]="$(peak_mb $barepid) 0"
        wait $barepid
        [ "$how" = every ] && rate[$size]=$(awk -v s="$seconds" '{ printf "%.1f", $1 / (s + 4) }' bare_frames)
    done
    settings "$w" "$h" "$mode"
    for page in main control capture; do
        [ "$size" = window ] && [ "$page" = capture ] && continue
        menu_on_page $page "$size"
        cpu[$size,$page]=$(share $pid)
        stop $pid
    done
done

# [screens] on this display, then full screen on a fixed panel (an Xorg of
# its own, which needs root).
screens full800 full1280 borderless >screen_rows
if command -v Xorg >/dev/null && [ "$(id -u)" = 0 ]; then
    "$root/tools/with_x.sh" --xorg=panel env BUDGET_SCREENS=panel BUDGET_SECONDS="$seconds" "$here/budget.sh" \
        >>screen_rows 2>/dev/null
fi
# Natively on a Wayland desktop (a sway of its own).
command -v sway >/dev/null && wayland_rows >>screen_rows

# [screenshot]
shot_ms=nan
if [ -x "$benchdir/x11_platform" ]; then
    shot_ms=$("$benchdir/x11_platform" --benchmark_filter='CaptureAndSave1280x720$' --benchmark_format=csv 2>/dev/null |
        awk -F, '/CaptureAndSave1280x720/ { printf "%.1f", $3 }')
    [ -n "$shot_ms" ] || shot_ms=nan
fi

# [memory]: every page of the language the menu starts in, then back to the
# main page, full screen at 1280x720.
settings 1280 720 3
"$bin" >/dev/null 2>&1 &
pid=$!
wait_window '^Veldrune$'
sleep 2
for key in n s l b q m c o; do press $key; done
sleep 1.5
for key in t a r u Escape Escape; do press $key; done
press F12
sleep 1.5
menu_peak=$(peak_mb $pid)
stop $pid
fi   # the rows on this display

# The table: with table_only, the screens' rows alone.
{
    for k in "${!cpu[@]}"; do echo "cpu $k ${cpu[$k]}"; done
    [ -n "$xserver" ] || [ "$table_only" = 1 ] || echo "nox"
    for k in "${!rate[@]}"; do echo "rate $k ${rate[$k]}"; done
    cat screen_rows
} | awk -v only="$table_only" -v g="${game_ms:-nan}" -v b="${bare_ms:-nan}" -v d="${decode_ms:-nan}" -v shot="${shot_ms:-nan}" -v mp="${menu_peak:-nan}" '
    $1 == "cpu" { cpu[$2] = $3; cpux[$2] = $4 } $1 == "rate" { rate[$2] = $3 } $1 == "nox" { nox = 1 }
    $1 == "peak" { peak[$2] = $3 }
    function row(name, v, f, unit, target, vx, fx,   ratio, ratiox) {
        ratio = (f > 0 ? sprintf("%.2f", v / f) : "-")
        if (unit == "%") {
            ratiox = (fx > 0 ? sprintf("%.2f", vx / fx) : "-")
            printf "| %-48s | %9.1f%% | %9.1f%% | %6s | %9.1f%% | %9.1f%% | %6s | %-8s |\n", name, v * 100, f * 100, ratio, vx * 100, fx * 100, ratiox, target
        } else printf "| %-48s | %7.1f %s | %7.1f %s | %6s | %10s | %10s | %6s | %-8s |\n", name, v, unit, f, unit, ratio, "", "", "", target
    }
    function cpurow(name, k, fk, target) { row(name, cpu[k], cpu[fk], "%", target, cpux[k], cpux[fk]) }
    END {
        line = "+--------------------------------------------------+------------+------------+--------+------------+------------+--------+----------+"
        print line
        printf "| %-48s | %10s | %10s | %6s | %10s | %10s | %6s | %-8s |\n", "measure", "Veldrune", "floor", "ratio", "Veldrune+X", "floor+X", "ratio", "target"
        print line
        if (!only) {
        row("start-up to first frame", g, b + d, "ms", "<= 1.3")
        row("  floor: window + 1 frame", b, b, "ms", "")
        row("  floor: bare image decode", d, d, "ms", "")
        n = split("800x600 1024x768 1280x720 window", sizes, " ")
        for (i = 1; i <= n; ++i) {
            s = sizes[i]; label = (s == "window" ? "800x600 window" : s " full")
            cpurow("bare: blank frame every refresh, " label, s ",bare_every", s ",bare_every", "")
            cpurow("bare: present once, then poll, " label, s ",bare_once", s ",bare_once", "")
            cpurow("idle main page, " label, s ",main", s ",bare_every", "<= 0.1")
            cpurow("  against present-once", s ",main", s ",bare_once", "<= 3")
            cpurow("idle Control page, " label, s ",control", s ",bare_every", "<= 0.1")
            cpurow("  against present-once", s ",control", s ",bare_once", "<= 3")
            if (s != "window") cpurow("capture page (blinking), " label, s ",capture", s ",bare_every", "<= 1.5")
        }
        r = rate["1280x720"]
        if (r > 0) {
            row("CPU per drawn frame, capture 1280x720", cpu["1280x720,capture"] * 1000 / r, cpu["1280x720,bare_every"] * 1000 / r, "ms", "")
            row("  with the X server CPU", cpux["1280x720,capture"] * 1000 / r, cpux["1280x720,bare_every"] * 1000 / r, "ms", "")
            period = 1000 / r
            if (shot == "nan") printf "| %-40s | %10s | %7.1f ms | %6s | %-8s |\n", "screenshot 1280x720", "nan", period, "-", ""
            else row("screenshot 1280x720", shot, period, "ms", "")
        }
        row("peak RSS 1280x720, every page shown", mp, cpu["bare_peak"], "MB", "<= 1.3")
        print line
        }
        n = split("full800 full1280 borderless panel wl800 wl1280", configs, " ")
        split("800x600 full|1280x720 full|800x600 borderless, stretched|800x600 full, 1920x1080 panel|" \
              "Wayland 800x600|Wayland 1280x720", labels, "|")
        for (i = 1; i <= n; ++i) {
            c = configs[i]; label = labels[i]
            if (!((c ",rest") in cpu)) continue
            target = (c ~ /^full/ ? "<= 0.5" : c ~ /^wl/ ? "<= 1.0" : "")
            cpurow("bare software: frame every refresh, " label, c ",sw_every", c ",sw_every", "")
            cpurow("bare software: present once, poll, " label, c ",sw_once", c ",sw_once", "")
            cpurow("still main page, " label, c ",rest", c ",sw_once", "<= 1.5")
            cpurow("pointer moving, main page, " label, c ",moving", c ",sw_every", target)
            cpurow("capture page (blinking), " label, c ",capture", c ",sw_every", c ~ /^full/ ? target : "")
            if (c ~ /^wl/) row("peak RSS, " label ", capture page", peak[c ",menu"], peak[c ",bare"], "MB", "<= 1.3")
        }
        print line
        if (nox) print "(the X server was not found: the +X columns count the programs alone)"
        print "CPU: share of one core over the sample; +X: with the X server CPU over the same time, which"
        print "does the copying of presented frames to the screen (for every renderer, more so for X shared memory);"
        print "on Wayland sway CPU, the compositor, in its place."
        if (!only) printf "frames presented per second by the bare program: %s (800x600) %s (1024x768) %s (1280x720) %s (window)\n", rate["800x600"], rate["1024x768"], rate["1280x720"], rate["window"]
    }'
music_rows
speech_rows
