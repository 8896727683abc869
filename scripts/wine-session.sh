#!/usr/bin/env bash
# A scratch Wine session: its own prefix and home folder under DIR, an X display (Xvfb unless
# LUMIFOLD_REAL_DISPLAY=1 and DISPLAY is set) and a persistent wineserver.
#   wine-session.sh start DIR      make a fresh prefix, start the display and the server
#   wine-session.sh run DIR CMD..  run CMD (a Windows program and its arguments) in it
#   wine-session.sh stop DIR       stop this session's wineserver and display
set -euo pipefail

action=${1:?usage: wine-session.sh start|run|stop DIR [CMD...]}
dir=${2:?usage: wine-session.sh start|run|stop DIR [CMD...]}
shift 2
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

export WINEPREFIX=$dir/prefix
export HOME=$dir/home
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"

free_display() {
  local n
  for n in $(seq 90 199); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { echo $n; return; }
  done
  echo "no free X display number" >&2
  return 1
}

start_display() {
  if [ "${LUMIFOLD_REAL_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
    echo "export DISPLAY=$DISPLAY" >"$dir/env"
    return
  fi
  local n
  n=$(free_display)
  setsid Xvfb ":$n" -screen 0 1024x768x24 -dpi 96 -nolisten tcp </dev/null >"$dir/xvfb.log" 2>&1 &
  echo $! >"$dir/xvfb.pid"
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  [ -e "/tmp/.X11-unix/X$n" ] || { echo "Xvfb did not start, see $dir/xvfb.log" >&2; return 1; }
  echo "export DISPLAY=:$n" >"$dir/env"
}

case $action in
  start)
    "$0" stop "$dir" 2>/dev/null || true
    rm -rf "$WINEPREFIX" "$HOME"
    mkdir -p "$HOME"
    start_display
    . "$dir/env"
    wineboot -i </dev/null >"$dir/wineboot.log" 2>&1
    # Without a window manager Wine waits 2 s for every window it hides unless unmanaged.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >>"$dir/wineboot.log" 2>&1
    wineserver -w
    setsid wineserver -p </dev/null >"$dir/wineserver.log" 2>&1 || true
    ;;
  run)
    . "$dir/env"
    exec wine "$@" </dev/null
    ;;
  stop)
    wineserver -k 2>/dev/null || true
    if [ -f "$dir/xvfb.pid" ]; then
      kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
      rm -f "$dir/xvfb.pid"
    fi
    ;;
  *)
    echo "unknown action $action" >&2
    exit 2
    ;;
esac
