#!/usr/bin/env bash
# Installs what is missing, builds SETUP.exe and runs it under Wine in a scratch prefix
# (build/demo). With a display (DISPLAY set) it opens there; without one it runs on Xvfb,
# saves a screenshot of the dialog as build/demo/dialog.png and closes it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target installer
session=build/demo
if [ -n "${DISPLAY:-}" ]; then
  export LUMIFOLD_REAL_DISPLAY=1
  scripts/wine-session.sh start "$session"
  scripts/wine-session.sh run "$session" build/installer/SETUP.exe || echo "SETUP.exe exited with $?"
  scripts/wine-session.sh stop "$session"
  exit 0
fi
scripts/wine-session.sh start "$session"
scripts/wine-session.sh run "$session" build/installer/SETUP.exe &
setup=$!
. "$session/env"
for _ in $(seq 100); do
  xwininfo -root -tree 2>/dev/null | grep -q '"Quorvale Lumifold Installer"' && break
  sleep 0.2
done
sleep 1  # let it paint
import -window root "$session/dialog.png"
scripts/wine-session.sh stop "$session"
wait "$setup" 2>/dev/null || true
echo "Screenshot of the dialog: $session/dialog.png"
