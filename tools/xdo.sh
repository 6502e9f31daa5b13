# xdo.sh — driving the menu on the current X display with xdotool; sourced by
# the scripts that walk through it (tools/tour.sh, tests/package/) and by
# those that drive it at a pace of their own (tools/kill_test.sh,
# bench/budget.sh). The only shell that calls xdotool.
#
# Nothing here waits for a fixed time: an input whose answer shows on the
# screen waits until the window shows another picture and it has come to
# rest (tools/x_readback.py), with a deadline that only bounds a failure.
# The sleeps left are a key's hold (the menu reads its keys once a frame; a
# press is input, not a wait) and the intervals of polls.
#
# The menu's mouse is relative, so a position is reached by pushing the
# pointer into the top-left corner once (it stops there) and moving it by the
# wanted amount from wherever it is known to be.

xdo_readback="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/x_readback.py"
# The program's layout, asked of build/menu_points (built with the program).
xdo_points="${VELDRUNE_MENU_POINTS:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/menu_points}"
XDO_WINDOW=""      # the window the input goes to (xdo_wait_window)
XDO_PX=""          # where the pointer is once it has been pushed into the corner
XDO_PY=""

# The id of a visible window titled Veldrune (of process $1 when given), with
# the focus and its first frame at rest; fails after 20 s. Sets XDO_WINDOW, so
# call it in the script's own shell (redirect its output, do not capture it).
xdo_wait_window() {
  local wid="" _
  for _ in $(seq 1 200); do
    wid=$(xdotool search --onlyvisible ${1:+--pid "$1"} --name '^Veldrune$' 2>/dev/null | tail -1)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  [ -n "$wid" ] || return 1
  for _ in $(seq 1 100); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$wid" ] && break
    xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || true
    sleep 0.2
  done
  python3 "$xdo_readback" settle "$wid" || return 1
  XDO_WINDOW=$wid XDO_PX="" XDO_PY=""
  echo "$wid"
}
# The window titled by the pattern $1, when there is one: its id (the newest).
xdo_find_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1; }
xdo_settle() { python3 "$xdo_readback" settle "$XDO_WINDOW"; }
# A key: down, held 80 ms, up. It waits for nothing.
xdo_key() { xdotool keydown "$1"; sleep 0.08; xdotool keyup "$1"; }
# What a killed script may have left held, let go.
xdo_release_all() { xdotool keyup grave F12 2>/dev/null; xdotool mouseup 1 2>/dev/null; true; }
# A key whose answer is a new picture, waited for.
xdo_press() { python3 "$xdo_readback" after "$XDO_WINDOW" bash -c "xdotool keydown $1; sleep 0.08; xdotool keyup $1"; }
# A key the page ignores for a while without showing it (the Options page's
# sub column letters), pressed until it is answered.
xdo_press_until() { python3 "$xdo_readback" until "$XDO_WINDOW" bash -c "xdotool keydown $1; sleep 0.08; xdotool keyup $1"; }
# The push into the corner and the move must reach the program in different
# frames (in one they add up and the sum is clamped): the push waits for the
# pointer to be drawn in the corner, once; later moves are relative.
xdo_point() {
  if [ -z "$XDO_PX" ]; then
    python3 "$xdo_readback" after "$XDO_WINDOW" xdotool mousemove_relative -- -4000 -4000
    XDO_PX=0 XDO_PY=0
  fi
  local dx=$(($1 - XDO_PX)) dy=$(($2 - XDO_PY))
  [ "$dx" = 0 ] && [ "$dy" = 0 ] && return 0
  python3 "$xdo_readback" after "$XDO_WINDOW" xdotool mousemove_relative -- "$dx" "$dy"
  XDO_PX=$1 XDO_PY=$2
}
# The middle of an item at a size, as "x y": xdo_item 800x600 [--shifted] OptionsBox
# (--shifted: the sub column beside an open options page). Fails with a
# message when menu_points is not built or knows no such box.
xdo_item() {
  [ -x "$xdo_points" ] || { echo "xdo: no $xdo_points (build the menu_points target)" >&2; return 1; }
  "$xdo_points" "$@"
}
# Without waiting for an answer: the pointer pushed into the top-left corner
# (where it stops), then a move relative to where it is; the window found by
# xdo_find_window raised and focused (false while there is none).
xdo_corner() { xdotool mousemove_relative -- -4000 -4000 2>/dev/null; }
xdo_move() { xdotool mousemove_relative -- "$1" "$2" 2>/dev/null; }
xdo_activate() {
  local id; id=$(xdo_find_window "$1")
  [ -n "$id" ] && xdotool windowactivate --sync "$id" >/dev/null 2>&1
  [ -n "$id" ]
}
# A click is down and up at once, seen in exactly one frame: a held button
# fires again in every frame on whatever the new page puts under the pointer.
xdo_tap() { xdotool mousedown 1 mouseup 1; }
# A click whose answer is a new picture, waited for.
xdo_click() { python3 "$xdo_readback" after "$XDO_WINDOW" xdotool mousedown 1 mouseup 1; }
