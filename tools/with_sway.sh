#!/usr/bin/env bash
# Runs a command on a private Wayland desktop: sway, headless, one output of
# 1280x720 at 60 Hz, every window floating as on a stacking desktop, with
# XWayland for X clients:
#   tools/with_sway.sh [--scale=2] COMMAND ...
# The command sees WAYLAND_DISPLAY, XDG_RUNTIME_DIR and SWAYSOCK of that sway
# (swaymsg and grim work as they are), DISPLAY and VELDRUNE_XWAYLAND_DISPLAY
# set to its XWayland, and VELDRUNE_INPUT_FIFO: write "move DX DY", "down",
# "up", "click" or "key NAME" (a keysym: o, Escape) lines there to drive the
# one virtual pointer and the one virtual keyboard
# (tools/virtual_input.cpp, found in build/tests/ or at
# $VELDRUNE_VIRTUAL_INPUT). Both are held open for the whole run: the seat
# has no keyboard or pointer without them, one made for a single key or
# motion is usually gone before a program has bound it, and a keyboard that
# goes leaves the seat without a keymap, which SDL does not survive (so no
# wtype here: each one is such a keyboard). X clients on XWayland may also
# be driven with xdotool on $DISPLAY.
# sway refuses to run as root: as root, it runs as the unprivileged user
# veldrune-sway (made when missing), with no further groups; as any other
# user it runs as that user. Everything is stopped when the command ends; its
# exit code is kept.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
scale=1
case "${1:-}" in
  --scale=*) scale="${1#--scale=}"; shift ;;
esac
[ $# -gt 0 ] || { echo "usage: tools/with_sway.sh [--scale=N] COMMAND ..." >&2; exit 2; }
for tool in sway swaymsg grim Xwayland xhost; do
  command -v "$tool" >/dev/null || { echo "with_sway: $tool is missing (tools/install_deps.sh installs it)" >&2; exit 2; }
done
input_bin="${VELDRUNE_VIRTUAL_INPUT:-$root/build/tests/virtual_input}"
[ -x "$input_bin" ] || { echo "with_sway: no virtual input at $input_bin (build the tests first)" >&2; exit 2; }

# Polls a command every 0.1 s until it succeeds; fails after $1 seconds.
wait_for() {
  local seconds=$1; shift
  local end=$((SECONDS + seconds))
  until "$@"; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.1
  done
}

# The user sway runs as, and its runtime folder (0700, its own), which holds
# the config, the sockets and the logs.
if [ "$(id -u)" = 0 ]; then
  user=veldrune-sway
  id "$user" >/dev/null 2>&1 || useradd -M -s /usr/sbin/nologin "$user" ||
    { echo "with_sway: cannot make the user $user" >&2; exit 1; }
  as_user=(setpriv --pdeathsig TERM --reuid="$user" --regid="$user" --clear-groups --)
  # XWayland puts its socket in /tmp/.X11-unix and refuses a folder that is
  # neither root's nor its own: the first X server of a user to start would
  # otherwise make it that user's, and every other user's XWayland fails.
  mkdir -p /tmp/.X11-unix
  [ "$(stat -c %u /tmp/.X11-unix)" = 0 ] || chown root:root /tmp/.X11-unix
  chmod 1777 /tmp/.X11-unix
else
  user="$(id -un)"
  as_user=(setpriv --pdeathsig TERM --)
fi
run="$(mktemp -d /tmp/veldrune-sway.XXXXXX)"
chmod 0700 "$run"
[ "$(id -u)" = 0 ] && chown "$user:$user" "$run"

cat >"$run/sway.conf" <<EOF
output HEADLESS-1 mode 1280x720@60Hz scale $scale
for_window [title=".*"] floating enable
xwayland enable
EOF
chmod 0644 "$run/sway.conf"

# Whether a child has ended (it stays a zombie until it is waited for).
ended() { [ ! -e "/proc/$1" ] || [ "$(awk '{ sub(/.*\) /, ""); print $1 }' "/proc/$1/stat" 2>/dev/null)" = Z ]; }
# What was started, sway first; stopped in the other order. (sway also ends
# with this script, by its parent-death signal, if the script is killed.)
pids=()
cleanup() {
  local i p
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    p=${pids[i]}
    wait_for 5 ended "$p" || kill -KILL "$p" 2>/dev/null
    wait "$p" 2>/dev/null
  done
  rm -rf "$run"
}
trap 'cleanup; exit 130' INT TERM
fail() {
  echo "with_sway: $1; sway's log:" >&2
  tail -20 "$run/sway.log" >&2
  cleanup
  exit 1
}

env -i PATH="/usr/local/bin:/usr/bin:/bin" HOME="$run" XDG_RUNTIME_DIR="$run" \
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    "${as_user[@]}" sway -c "$run/sway.conf" >"$run/sway.log" 2>&1 &
pids+=($!)
export XDG_RUNTIME_DIR="$run"
has_sockets() { compgen -G "$run/wayland-[0-9]" >/dev/null && compgen -G "$run/sway-ipc.*.sock" >/dev/null; }
wait_for 20 has_sockets || fail "sway did not start"
WAYLAND_DISPLAY="$(basename "$(compgen -G "$run/wayland-[0-9]" | head -1)")"
SWAYSOCK="$(compgen -G "$run/sway-ipc.*.sock" | head -1)"
export WAYLAND_DISPLAY SWAYSOCK
wait_for 20 swaymsg -t get_version >/dev/null 2>&1 || fail "sway does not answer on its IPC socket"

# XWayland's display is known to sway's children; it admits only sway's
# user until told otherwise (the first X client starts it). sway splits its
# commands at ";", so what its child runs is a script.
cat >"$run/xwayland.sh" <<EOF
echo "\$DISPLAY" > "$run/display"
xhost +si:localuser:$(id -un) > "$run/xhost.out" 2>&1
echo \$? > "$run/xhost.tmp" && mv "$run/xhost.tmp" "$run/xhost.rc"
EOF
chmod 0755 "$run/xwayland.sh"
swaymsg exec "sh $run/xwayland.sh" >/dev/null
wait_for 30 test -s "$run/xhost.rc" && [ "$(cat "$run/xhost.rc")" = 0 ] ||
  fail "XWayland did not start ($(cat "$run/xhost.out" 2>/dev/null))"
xdisplay="$(cat "$run/display")"
export DISPLAY="$xdisplay" VELDRUNE_XWAYLAND_DISPLAY="$xdisplay"
wait_for 20 xdpyinfo >/dev/null 2>&1 || fail "XWayland $xdisplay does not answer"

# The held keyboard and pointer; the command starts once the seat has both.
export VELDRUNE_INPUT_FIFO="$run/input"
"$input_bin" "$VELDRUNE_INPUT_FIFO" >"$run/input.out" 2>&1 &
pids+=($!)
seat_has() { swaymsg -t get_inputs 2>/dev/null | grep -q "\"type\": \"$1\""; }
wait_for 20 grep -q ready "$run/input.out" && wait_for 20 seat_has pointer && wait_for 20 seat_has keyboard ||
  fail "the virtual keyboard and pointer did not come ($(cat "$run/input.out"))"

"$@"
rc=$?

cleanup
exit $rc
