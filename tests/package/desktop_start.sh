#!/usr/bin/env bash
# The extracted package started the way its desktop entry says, on the current
# X display (tests/package/package_test.sh runs it under tools/with_x.sh --xorg):
#   tests/package/desktop_start.sh ROOT
# ROOT holds the extracted package. Its usr/games goes first on PATH, so the
# Exec line's command is the extracted launcher, which starts the program
# beside it; both are checked. HOME is a fresh folder and XDG_DATA_HOME is
# unset, as on a new account; the command starts in HOME, where desktops
# start programs.
#   1st start: full screen on the first start; Veldrune.cfg appears in
#      ~/.local/share/veldrune, F12 puts Screenshot_1.png there; choosing
#      1024x768 ends it with 0 and starts the new instance in the same folder.
#   The new instance opens on the Resolution page; four Escapes end it.
#   2nd start from the entry: the kept 1024x768, Screenshot_2.png; Escape, 0.
# Nothing else appears in HOME, and nothing of the runs outlives them: with
# no session bus named and none in the runtime folder, as on bare X or in a
# kiosk, and dbus-x11 installed, no session bus is started through X (it
# would write ~/.dbus and keep running).
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

command -v dbus-launch >/dev/null || fail "dbus-launch is missing (dbus-x11; tools/install_deps.sh installs it)"
start_from_entry() {
  # shellcheck disable=SC2086  # the Exec line is split into words as a desktop does
  (cd "$home" && exec env -u XDG_DATA_HOME -u DBUS_SESSION_BUS_ADDRESS HOME="$home" XDG_RUNTIME_DIR="$runtime" \
     $exec_line >/dev/null 2>&1) &
  started=$!
}
png_width() { od -An -tu1 -j16 -N4 "$1" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}'; }
wait_file() { local _; for _ in $(seq 1 200); do [ -s "$1" ] && return 0; sleep 0.1; done; return 1; }

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
wait_file "$folder/Screenshot_1.png" && [ "$(png_width "$folder/Screenshot_1.png")" -eq 800 ] \
  && pass "F12 saved Screenshot_1.png (800 wide) there" || fail "no 800-wide Screenshot_1.png in $folder"

xdo_point 400 510; xdo_click               # Options
xdo_point 400 250; xdo_click               # Graphic; waits while the sub column slides away
xdo_point 400 250; xdo_click               # Resolution
xdo_point 560 280; xdo_tap                 # 1024x768: the program ends, no picture to wait for
rc=124
for _ in $(seq 1 200); do
  if ! kill -0 "$first" 2>/dev/null || [ "$(awk '{print $3}' "/proc/$first/stat" 2>/dev/null)" = Z ]; then
    wait "$first"; rc=$?; break
  fi
  sleep 0.1
done
[ $rc -eq 0 ] && pass "the resolution change ended the first instance with 0" || fail "first instance: exit $rc"
second=""
for _ in $(seq 1 200); do
  second="$(instances | head -1)"
  [ -n "$second" ] && grep -q $'^settings.page = Main\r$' "$folder/Veldrune.cfg" && break
  sleep 0.1
done
[ -n "$second" ] && [ "$(readlink "/proc/$second/cwd")" = "$folder" ] \
  && pass "the restarted instance runs in the same folder" \
  || fail "restarted instance '$second' in '$(readlink "/proc/$second/cwd" 2>/dev/null)'"
grep -q $'^ScreenW = 1024\r$' "$folder/Veldrune.cfg" && pass "the new size is in the player's Veldrune.cfg" \
  || fail "ScreenW = 1024 not in $folder/Veldrune.cfg"
if [ -n "$second" ]; then
  xdo_wait_window "$second" >/dev/null || fail "no window from the restarted instance"
  for _ in 1 2 3; do xdo_press Escape; done   # Resolution -> Graphic -> Options -> main
  xdo_key Escape                              # the end
  for _ in $(seq 1 200); do [ -z "$(instances)" ] && break; sleep 0.1; done
  [ -z "$(instances)" ] && pass "four Escapes end the restarted instance" || fail "the restarted instance still runs"
fi

# [SECTION] Second start from the entry: the settings were kept
start_from_entry
again=$started
xdo_wait_window "$again" >/dev/null || { fail "no window from the second start"; exit 1; }
xdo_key F12
wait_file "$folder/Screenshot_2.png" && [ "$(png_width "$folder/Screenshot_2.png")" -eq 1024 ] \
  && pass "the second start kept 1024x768: Screenshot_2.png is 1024 wide" \
  || fail "no 1024-wide Screenshot_2.png in $folder"
xdo_key Escape
rc=124
for _ in $(seq 1 200); do
  if [ "$(awk '{print $3}' "/proc/$again/stat" 2>/dev/null)" = Z ] || ! kill -0 "$again" 2>/dev/null; then
    wait "$again"; rc=$?; break
  fi
  sleep 0.1
done
[ $rc -eq 0 ] && pass "Escape ends it with 0" || fail "second start: exit $rc"

# [SECTION] Nothing else in HOME
found="$(cd "$home" && find . -mindepth 1 | sort | tr '\n' ' ')"
want="./.local ./.local/share ./.local/share/veldrune ./.local/share/veldrune/Screenshot_1.png ./.local/share/veldrune/Screenshot_2.png ./.local/share/veldrune/Veldrune.cfg "
[ "$found" = "$want" ] && pass "HOME holds only the player's folder" || fail "HOME holds: $found"
left="$(with_our_home | tr '\n' ' ')"
[ -z "$left" ] && pass "nothing of the runs outlives them (no session bus started)" || fail "still running: $left"
exit $failed
