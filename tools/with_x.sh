#!/usr/bin/env bash
# Runs a command under a private X server with a window manager:
#   tools/with_x.sh [--xorg[=DISPLAY] | --bare] COMMAND ...
# Xvfb by default (1280x768x24); --xorg starts Xorg with the dummy driver
# (tools/xorg-dummy.conf), which switches real modes and reports 85 Hz, for
# the full-screen tests. --xorg=60 is a display that offers only 60 Hz modes
# (tools/xorg-dummy-60.conf), --xorg=panel a fixed panel with a single
# 1920x1080 mode (tools/xorg-dummy-panel.conf).
# openbox runs as the window manager, except with --bare: Xvfb alone, as in a
# kiosk or a `startx` with the game alone. The server and
# the window manager are stopped when the command ends; its exit code is kept.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
server=xvfb
conf="$here/xorg-dummy.conf"
wm=openbox
case "${1:-}" in
  --bare) wm=""; shift ;;
  --xorg) server=xorg; shift ;;
  --xorg=*) server=xorg; conf="$here/xorg-dummy-${1#--xorg=}.conf"; shift
            [ -f "$conf" ] || { echo "with_x: no display called ${conf##*/}" >&2; exit 2; } ;;
esac

# A free display number. Several runs may start at once (two worktrees, a
# benchmark beside the tests): the pick and the server's start happen under
# one lock, so two servers never race for the same number.
exec 9>/tmp/veldrune-with-x.lock
flock 9
logdir="$(mktemp -d /tmp/veldrune-x.XXXXXX)"
start_server() {
  if [ "$server" = xorg ]; then
    Xorg ":$n" -noreset +extension GLX +extension RANDR -config "$conf" \
         -logfile "$logdir/Xorg.log" >"$logdir/server.out" 2>&1 &
  else
    Xvfb ":$n" -screen 0 1280x768x24 -nolisten tcp +extension GLX +extension RANDR \
         >"$logdir/server.out" 2>&1 &
  fi
  xpid=$!
  # Up to 30 s while the server lives: on a busy machine a start takes long.
  for _ in $(seq 1 300); do
    xdpyinfo >/dev/null 2>&1 && return 0
    kill -0 "$xpid" 2>/dev/null || break
    sleep 0.1
  done
  xdpyinfo >/dev/null 2>&1
}
# A server that did not come up (once in a CI run, under heavy load, without
# a word of output) is given up, and another display number is tried.
n=89
for attempt in 1 2 3; do
  n=$((n + 1))
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  export DISPLAY=":$n"
  start_server && break
  echo "with_x: the X server on :$n did not start (attempt $attempt); its output:" >&2
  cat "$logdir/server.out" "$logdir/Xorg.log" 2>/dev/null | tail -20 >&2
  kill -KILL "$xpid" 2>/dev/null
  wait "$xpid" 2>/dev/null
  if [ "$attempt" = 3 ]; then rm -rf "$logdir"; exit 1; fi
done
flock -u 9
exec 9>&-
wmpid=""
if [ -n "$wm" ]; then
  openbox >"$logdir/openbox.out" 2>&1 &
  wmpid=$!
  for _ in $(seq 1 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break
    sleep 0.1
  done
  # openbox announces itself a little before it has finished starting, and now
  # and then never maps the first client window it is given (SDL then waits for
  # that window for ever). Wait for its client list, and let a throwaway client
  # take the first map.
  for _ in $(seq 1 50); do
    xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q WINDOW && break
    sleep 0.1
  done
  timeout 3 xmessage -timeout 1 -geometry +0+0 ready >/dev/null 2>&1 || true
fi

"$@"
rc=$?

[ -n "$wmpid" ] && kill "$wmpid" 2>/dev/null
kill "$xpid" 2>/dev/null
wait $wmpid "$xpid" 2>/dev/null
rm -rf "$logdir"
exit $rc
