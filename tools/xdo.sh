# xdo.sh — driving the menu on the current X display with xdotool; sourced by
# the scripts that walk through it (tools/tour.sh, tests/package/).
#
# Keys and clicks are held for a moment: the menu reads its input once per
# frame and would miss a press and release sent together. Its mouse is
# relative, so a position is reached by pushing the pointer into the top-left
# corner (it stops there) and moving it by the wanted amount.

# The id of a visible window titled Veldrune (of process $1 when given),
# activated and given a second to load and draw; fails after 20 s.
xdo_wait_window() {
  local wid="" _
  for _ in $(seq 1 200); do
    wid=$(xdotool search --onlyvisible ${1:+--pid "$1"} --name '^Veldrune$' 2>/dev/null | tail -1)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  [ -n "$wid" ] || return 1
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || true
  sleep 1
  echo "$wid"
}
xdo_key() { xdotool keydown "$1"; sleep 0.08; xdotool keyup "$1"; sleep 0.15; }
xdo_point() { xdotool mousemove_relative -- -4000 -4000; sleep 0.1; xdotool mousemove_relative -- "$1" "$2"; sleep 0.1; }
xdo_click() { xdotool mousedown 1; sleep 0.12; xdotool mouseup 1; sleep 0.2; }
