#!/usr/bin/env bash
# Installs what is missing, builds SETUP.exe and runs it under Wine in a scratch prefix
# (build/demo). With a display (DISPLAY set) it opens there; without one it runs on Xvfb,
# saves a screenshot of the dialog as build/demo/dialog.png and closes it.
# `scripts/demo.sh uninstaller` does the same with the uninstaller: its question, saved as
# build/demo/uninstaller.png (the box alone). Nothing is installed, so nothing is removed.
# Where this machine runs no 32-bit code (or LUMIFOLD_ARCH=x86_64), it shows the x86-64 build
# in a 64-bit prefix instead, and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
arch=$(bash scripts/windows-arch.sh)
tree=installer
if [ "$arch" = x86_64 ]; then
  tree=installer-x86_64
  export LUMIFOLD_WINEARCH=win64
fi
program=build/$tree/SETUP.exe
title="Quorvale Lumifold Installer"
if [ "${1:-}" = uninstaller ]; then
  program=build/$tree/TevikUninstaller.exe
  title="Quorvale Lumifold Uninstaller"
fi
cmake -S . -B build -DLUMIFOLD_ARCH="$arch" >/dev/null
cmake --build build -j"$(nproc)" --target "$tree"
[ "$arch" = x86_64 ] && echo "Showing the x86-64 build: $program"
session=build/demo
if [ -n "${DISPLAY:-}" ]; then
  export LUMIFOLD_REAL_DISPLAY=1
  scripts/wine-session.sh start "$session"
  scripts/wine-session.sh run "$session" "$program" || echo "$(basename "$program") exited with $?"
  scripts/wine-session.sh stop "$session"
  exit 0
fi
scripts/wine-session.sh start "$session"
scripts/wine-session.sh run "$session" "$program" &
started=$!
. "$session/env"
window=
for _ in $(seq 100); do
  window=$(xwininfo -root -tree 2>/dev/null | awk -v t="\"$title\"" 'index($0, t) {print $1; exit}')
  [ -n "$window" ] && break
  sleep 0.2
done
if [ -z "$window" ]; then
  scripts/wine-session.sh stop "$session"
  wait "$started" 2>/dev/null || true
  echo "demo: no \"$title\" window appeared within 20 seconds" >&2
  exit 1
fi
sleep 1  # let it paint
if [ -n "${1:-}" ]; then
  import -window "$window" "$session/uninstaller.png"
  shot=$session/uninstaller.png
else
  import -window root "$session/dialog.png"
  shot=$session/dialog.png
fi
scripts/wine-session.sh stop "$session"
wait "$started" 2>/dev/null || true
echo "Screenshot: $shot"
