#!/usr/bin/env bash
# Builds Quellix and starts it under Wine, in Wine's virtual desktop, on this display or on
# an Xvfb display of its own when there is none.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
. scripts/wine-env.sh
cmake --preset "$QUELLIX_PRESET" >/dev/null
cmake --build --preset "$QUELLIX_PRESET" --target Quellix -j "$(nproc)"
build=$PWD/build/$QUELLIX_PRESET
export WINEPREFIX=$build/run-prefix

started_xvfb=""
if [ -z "${DISPLAY:-}" ]; then
  DISPLAY=$(quellix_start_xvfb "$build/run-env")
  export DISPLAY
  started_xvfb=$(cat "$build/run-env/xvfb.pid")
  echo "Quellix runs on the Xvfb display $DISPLAY. Take a screenshot with:"
  echo "  DISPLAY=$DISPLAY import -window root shot.png"
fi
stop() {
  WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
  [ -n "$started_xvfb" ] && kill "$started_xvfb" 2>/dev/null || true
}
trap stop EXIT
quellix_init_prefix "$WINEPREFIX"
"$QUELLIX_WINE" "$build/bin/Quellix.exe"
