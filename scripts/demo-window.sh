#!/usr/bin/env bash
# Shows a rule acting on the Quellix that scripts/run.sh started: opens a window "Quellix demo"
# in the same Wine desktop, brings it to the foreground and raises the foreground event (Wine 8
# raises none when the foreground changes), and waits until the window is asked to close.
#   scripts/demo-window.sh
# The first time, make a rule from "Quellix demo" in Quellix and close the window; from the
# second time on, Quellix closes it by itself, after the rule's delay.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/wine-env.sh
build=$PWD/build/$QUELLIX_PRESET
export WINEPREFIX=$build/run-prefix
if ! quellix_prefix_ready "$WINEPREFIX"; then
  echo "Start Quellix with scripts/run.sh first, and wait for its window." >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ]; then
  if ! kill -0 "$(cat "$build/run-env/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
    echo "Start Quellix with scripts/run.sh first: its display is gone." >&2
    exit 1
  fi
  DISPLAY=:$(cat "$build/run-env/display")
  export DISPLAY
fi
cmake --build --preset "$QUELLIX_PRESET" --target TargetWindows -j "$(nproc)" >/dev/null
log=$build/run-env/demo-window.log
mkdir -p "$(dirname "$log")"
rm -f "$log"
"$QUELLIX_WINE" "$build/bin/TargetWindows.exe" --log "$("$QUELLIX_WINE" winepath -w "$log" 2>/dev/null | tr -d '\r')" \
  --destroy-on-close --foreground 0 \
  --window "Quellix demo" QuellixDemo 300 250 420 240 10CF0000 0 2>/dev/null
# The helper logs "<ms> FOREGROUND 0" and "<ms> CLOSE 0 Quellix demo" on one clock.
awk '$2 == "FOREGROUND" { shown = $1 } $2 == "CLOSE" { closed = $1 }
     END { if (closed) printf "The window was asked to close %d ms after it came to the foreground.\n", closed - shown }' "$log"
