#!/usr/bin/env bash
# A scratch Wine session: its own prefix and home folder under DIR, an X display (Xvfb unless
# LUMIFOLD_REAL_DISPLAY=1 and DISPLAY is set) and a persistent wineserver. The prefix is 32-bit
# unless LUMIFOLD_WINEARCH=win64 asks for a 64-bit one (where 32-bit programs run under WOW64):
# with wine64 installed, Wine would otherwise make a new prefix 64-bit. The prefix's user is
# named after $USER (read in the locale's encoding: a UTF-8 one for a name such as "Łukasz").
#   wine-session.sh start DIR      make a fresh prefix, start the display and the server
#   wine-session.sh run DIR CMD..  run CMD (a Windows program and its arguments) in it
#   wine-session.sh stop DIR       stop this session's wineserver and display
set -euo pipefail

action=${1:?usage: wine-session.sh start|run|stop DIR [CMD...]}
dir=${2:?usage: wine-session.sh start|run|stop DIR [CMD...]}
shift 2
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

export WINEARCH=${LUMIFOLD_WINEARCH:-win32}
export WINEPREFIX=$dir/prefix
export HOME=$dir/home
export WINEDEBUG=${LUMIFOLD_WINEDEBUG:--all}  # a test may ask for a debug channel
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
# Debian's `wine` starts Wine's 32-bit loader whenever it is installed, which cannot run where the
# kernel runs no 32-bit code: a 64-bit session there starts the 64-bit loader itself.
wine=wine
if [ "$WINEARCH" = win64 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  wine=/usr/lib/wine/wine64
  export WINELOADER=$wine
fi

start_display() {
  if [ "${LUMIFOLD_REAL_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
    echo "export DISPLAY=$DISPLAY" >"$dir/env"
    return
  fi
  # Xvfb picks a free display number itself and writes it once it accepts connections, so
  # that sessions started at the same time never race for one number.
  rm -f "$dir/display"
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp \
    </dev/null >"$dir/xvfb.log" 2>&1 3>"$dir/display" &
  echo $! >"$dir/xvfb.pid"
  for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
  [ -s "$dir/display" ] || { echo "Xvfb did not start, see $dir/xvfb.log" >&2; return 1; }
  echo "export DISPLAY=:$(tr -d '[:space:]' <"$dir/display")" >"$dir/env"
}

case $action in
  start)
    "$0" stop "$dir" 2>/dev/null || true
    rm -rf "$WINEPREFIX" "$HOME"
    mkdir -p "$HOME"
    start_display
    . "$dir/env"
    $wine wineboot -i </dev/null >"$dir/wineboot.log" 2>&1
    # Without a window manager Wine waits 2 s for every window it hides unless unmanaged.
    $wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >>"$dir/wineboot.log" 2>&1
    # Stopped at once rather than left to wind down (5 s); the server still saves the registry.
    wineserver -k 2>/dev/null || true
    wineserver -w
    # A persistent server, and the prefix's system processes started in it now, with their
    # output in the log: they then outlive every run instead of holding a caller's pipe.
    setsid wineserver -p </dev/null >"$dir/wineserver.log" 2>&1 || true
    $wine cmd /c exit </dev/null >>"$dir/wineboot.log" 2>&1
    ;;
  run)
    . "$dir/env"
    # The program's output goes to a file, shown once it ends: Wine's background processes
    # (services, the desktop, programs the test starts) inherit the descriptors and would
    # otherwise keep the caller's pipes open long after the program has exited. A caller that
    # gives up (a test timeout) still gets the output so far.
    out=$(mktemp "$dir/run.XXXXXX")
    $wine "$@" </dev/null >"$out" 2>&1 &
    pid=$!
    trap 'kill $pid 2>/dev/null; cat "$out"; rm -f "$out"; exit 143' TERM INT
    rc=0
    wait $pid || rc=$?
    cat "$out"
    rm -f "$out"
    exit $rc
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
