#!/usr/bin/env bash
# A private sound server with one null sink, "vr", for the tests and the
# benchmarks that listen to what a player would hear (parec -d vr.monitor).
# Its socket is DIR/pulse/native, in a folder of its own, so that no other
# program finds it. As root it warns, and works.
#   tools/sound_server.sh start DIR   starts it and waits (up to 10 s) until it
#                                     answers; prints its address for
#                                     PULSE_SERVER (unix:DIR/pulse/native)
#   tools/sound_server.sh stop DIR    ends it, a stopped (SIGSTOP) one too
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: tools/sound_server.sh start|stop DIR" >&2; exit 2; }
dir=$2
address="unix:$dir/pulse/native"
case "$1" in
  start)
    XDG_RUNTIME_DIR="$dir" pulseaudio -n --daemonize=yes --exit-idle-time=-1 \
      --load=module-native-protocol-unix --load="module-null-sink sink_name=vr" --load=module-always-sink \
      >/dev/null 2>&1
    for _ in $(seq 100); do
      if PULSE_SERVER="$address" pactl info >/dev/null 2>&1; then echo "$address"; exit 0; fi
      sleep 0.1
    done
    echo "sound_server: the server in $dir did not answer" >&2; exit 1 ;;
  stop)
    pid=$(cat "$dir/pulse/pid" 2>/dev/null) || exit 0
    case "$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)" in pulseaudio*) ;; *) exit 0 ;; esac
    kill -CONT "$pid" 2>/dev/null; kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || exit 0; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null; exit 0 ;;
  *) echo "usage: tools/sound_server.sh start|stop DIR" >&2; exit 2 ;;
esac
