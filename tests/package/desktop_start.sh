#!/usr/bin/env bash
# The extracted package started the way its desktop entry says, on the current
# X display (tests/package/package_test.sh runs it under tools/with_x.sh --xorg):
#   tests/package/desktop_start.sh ROOT
# ROOT holds the extracted package; its usr/games goes first on PATH, so the
# Exec line starts the extracted launcher, which starts the program beside
# it. HOME is a fresh folder, XDG_DATA_HOME unset, as on a new account; the
# command starts in HOME, as desktops start programs. The first start writes
# ~/.local/share/veldrune/Veldrune.cfg and, on F12, Screenshot_1.png there;
# choosing 1024x768 ends it with 0 and starts a new instance in that folder,
# on the Resolution page. The second start keeps 1024x768. Nothing else
# appears in HOME, and nothing of the runs outlives them: with no session bus
# named and none in the runtime folder (bare X, a kiosk) and dbus-x11
# installed, no session bus is started through X (it would write ~/.dbus and
# keep running).
set -uo pipefail
root="$(cd "$1" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../../tools/xdo.sh"
program="$root/usr/games/veldrune"
home="$(mktemp -d /tmp/veldrune-home.XXXXXX)"
runtime="$(mktemp -d /tmp/veldrune-runtime.XXXXXX)"
folder="$home/.local/share/veldrune"
failed=0
fail() { echo "FAIL: $*"; failed=1; }
pass() { echo "ok: $*"; }

# Running instances of the extracted program (a restarted one is not our child).
instances() {
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/exe" 2>/dev/null)" = "$program" ] && [ "$(awk '{print $3}' "$p/stat" 2>/dev/null)" != Z ] \
      && echo "${p#/proc/}"
  done
}
# Processes started with this HOME (the instances, and whatever they started).
with_our_home() {
  local p
  for p in /proc/[0-9]*; do
    { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qxF "HOME=$home" && echo "$(cat "$p/comm" 2>/dev/null)[${p#/proc/}]"
  done
}
cleanup() {
  local pid
  for pid in $(instances); do kill -9 "$pid" 2>/dev/null; done
  for pid in $(with_our_home | sed 's/.*\[\(.*\)\]/\1/'); do kill "$pid" 2>/dev/null; done
  rm -rf "$home" "$runtime"
}
trap cleanup EXIT
trap 'exit 1' TERM INT

desktop="$root/usr/share/applications/org.veldrune.veldrune.desktop"
exec_line="$(sed -n 's/^Exec=//p' "$desktop")"
export PATH="$root/usr/games:$PATH"
command_path="$(command -v "${exec_line%% *}")"
[ "$command_path" = "$root/usr/games/veldrune-launcher" ] && pass "Exec=$exec_line is the extracted launcher" \
  || { fail "Exec=$exec_line resolves to '$command_path'"; exit 1; }

xdo_item 800x600 OptionsBox >/dev/null || { fail "the items' places are unknown"; exit 1; }
command -v dbus-launch >/dev/null || fail "dbus-launch is missing (dbus-x11; tools/install_deps.sh installs it)"
start_from_entry() {
  # shellcheck disable=SC2086  # the Exec line is split into words as a desktop does
  (cd "$home" && exec env -u XDG_DATA_HOME -u DBUS_SESSION_BUS_ADDRESS HOME="$home" XDG_RUNTIME_DIR="$runtime" \
     $exec_line >/dev/null 2>&1) &
  started=$!
}
png_width() { od -An -tu1 -j16 -N4 "$1" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}'; }
# Polls a command every 0.1 s until it succeeds; fails after 20 s.
poll() { local _; for _ in $(seq 1 200); do "$@" && return 0; sleep 0.1; done; return 1; }
# Our child $1 has ended (a zombie until it is waited for).
ended() { ! kill -0 "$1" 2>/dev/null || [ "$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)" = Z ]; }
# The exit code of our child $1, 124 when it has not ended within 20 s.
exit_code() { poll ended "$1" || return 124; wait "$1"; }
no_instances() { [ -z "$(instances)" ]; }

# [SECTION] First start, screenshot, resolution change
start_from_entry
first=$started
xdo_wait_window "$first" >/dev/null || { fail "no window from the first start"; exit 1; }
[ "$(readlink "/proc/$first/exe")" = "$program" ] && [ "$(readlink "/proc/$first/cwd")" = "$folder" ] \
  && pass "the extracted program runs in $folder" \
  || fail "process $first: exe $(readlink "/proc/$first/exe"), folder $(readlink "/proc/$first/cwd")"
grep -q "^Path = $root/usr/games/" "$folder/Veldrune.cfg" 2>/dev/null && pass "Veldrune.cfg is in the player's folder" \
  || fail "no Veldrune.cfg written by the extracted program in $folder"
xdo_key F12
poll test -s "$folder/Screenshot_1.png" && [ "$(png_width "$folder/Screenshot_1.png")" -eq 800 ] \
  && pass "F12 saved Screenshot_1.png (800 wide) there" || fail "no 800-wide Screenshot_1.png in $folder"

xdo_point $(xdo_item 800x600 OptionsBox); xdo_click      # Options
xdo_point $(xdo_item 800x600 GraphicBox); xdo_click      # Graphic; waits while the sub column slides away
xdo_point $(xdo_item 800x600 ResolutionBox); xdo_click   # Resolution
xdo_point $(xdo_item 800x600 Res1024Box); xdo_tap        # 1024x768: the program ends, no picture to wait for
exit_code "$first"; rc=$?
[ $rc -eq 0 ] && pass "the resolution change ended the first instance with 0" || fail "first instance: exit $rc"
restarted() {
  second="$(instances | head -1)"
  [ -n "$second" ] && grep -q $'^settings.page = Main\r$' "$folder/Veldrune.cfg"
}
poll restarted
[ -n "$second" ] && [ "$(readlink "/proc/$second/cwd")" = "$folder" ] \
  && pass "the restarted instance runs in the same folder" \
  || fail "restarted instance '$second' in '$(readlink "/proc/$second/cwd" 2>/dev/null)'"
grep -q $'^ScreenW = 1024\r$' "$folder/Veldrune.cfg" && pass "the new size is in the player's Veldrune.cfg" \
  || fail "ScreenW = 1024 not in $folder/Veldrune.cfg"
if [ -n "$second" ]; then
  xdo_wait_window "$second" >/dev/null || fail "no window from the restarted instance"
  for _ in 1 2 3; do xdo_press Escape; done   # Resolution -> Graphic -> Options -> main
  xdo_key Escape                              # the end
  poll no_instances && pass "four Escapes end the restarted instance" || fail "the restarted instance still runs"
fi

# [SECTION] Second start from the entry: the settings were kept
start_from_entry
again=$started
xdo_wait_window "$again" >/dev/null || { fail "no window from the second start"; exit 1; }
xdo_key F12
poll test -s "$folder/Screenshot_2.png" && [ "$(png_width "$folder/Screenshot_2.png")" -eq 1024 ] \
  && pass "the second start kept 1024x768: Screenshot_2.png is 1024 wide" \
  || fail "no 1024-wide Screenshot_2.png in $folder"
xdo_key Escape
exit_code "$again"; rc=$?
[ $rc -eq 0 ] && pass "Escape ends it with 0" || fail "second start: exit $rc"

# [SECTION] Nothing else in HOME
found="$(cd "$home" && find . -mindepth 1 | sort | tr '\n' ' ')"
want="./.local ./.local/share ./.local/share/veldrune ./.local/share/veldrune/Screenshot_1.png ./.local/share/veldrune/Screenshot_2.png ./.local/share/veldrune/Veldrune.cfg "
[ "$found" = "$want" ] && pass "HOME holds only the player's folder" || fail "HOME holds: $found"
left="$(with_our_home | tr '\n' ' ')"
[ -z "$left" ] && pass "nothing of the runs outlives them (no session bus started)" || fail "still running: $left"
exit $failed
