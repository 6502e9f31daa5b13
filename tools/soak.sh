#!/usr/bin/env bash
# Soak: the real program under X with a monkey at the keyboard and mouse,
# focus taken away and given back, screenshots and the overlay, for a while.
#   tools/soak.sh SECONDS [windowed|fullscreen|both]      default both
# "windowed" runs under Xvfb (screen mode 1); "fullscreen" under the Xorg
# dummy driver when it is installed (screen mode 3, so every focus loss
# closes the screen and the return reloads every asset), else under Xvfb.
# "both" splits the time between the two. The program is $VELDRUNE_BIN
# (default build/veldrune); a sanitizer build works the same. Prints the
# figures (resident memory, CPU, rounds) and exits 1 on any fault.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
seconds="${1:?usage: soak.sh SECONDS [windowed|fullscreen|both]}"
mode="${2:-both}"
bin="$(realpath "${VELDRUNE_BIN:-$root/build/veldrune}")"
[ -x "$bin" ] || { echo "soak: no program at $bin" >&2; exit 2; }
report="$(mktemp /tmp/veldrune-soak-report.XXXXXX)"
# The sanitizers' own settings for a sanitizer build; the program reads none.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$here/lsan.supp:print_suppressions=0}"
# AddressSanitizer keeps freed memory in quarantine, so resident memory grows
# for a while whatever the program does, and its checks make a frame cost
# several times more, so a busy core is no sign of spinning: in that build
# leaks are LSan's to find, memory and CPU are only reported, and only the
# passes a second judge spinning.
if ldd "$bin" 2>/dev/null | grep -q libasan; then
    export SOAK_RSS_SPREAD_MB="${SOAK_RSS_SPREAD_MB:-100000}" SOAK_IDLE_SHARE="${SOAK_IDLE_SHARE:-100}"
fi

run() {   # run MODE SECONDS
    local server=()
    if [ "$1" = fullscreen ] && command -v Xorg >/dev/null && [ "$(id -u)" = 0 ]; then server=(--xorg); fi
    "$here/with_x.sh" "${server[@]}" python3 "$here/soak.py" "$2" "$bin" "$1" "$report"
}

rc=0
case "$mode" in
    windowed|fullscreen) run "$mode" "$seconds" || rc=1 ;;
    both)
        half=$(( (seconds + 1) / 2 ))
        run windowed "$half" || rc=1
        run fullscreen "$half" || rc=1
        ;;
    *) echo "soak: unknown mode $mode" >&2; exit 2 ;;
esac
echo "---- soak summary"
cat "$report"
rm -f "$report"
exit $rc
