#!/usr/bin/env bash
# Takes the README's picture of the main window from the running program: Quellix under Wine
# on an Xvfb display of its own, in a fresh user's state, with two windows to list and a rule
# made from the first of them through the rule editor; then, beside it, the history window
# after "Apply Rules to Open Windows Now" closed that window.
#   scripts/screenshot.sh [OUT.png]        (default: docs/main-window.png; the history window
#                                           goes to history-window.png in the same folder)
# QUELLIX_DPI=144 takes it at that DPI instead of 96.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/main-window.png}")
scripts/setup.sh
. scripts/wine-env.sh
cmake --preset "$QUELLIX_PRESET" >/dev/null
cmake --build --preset "$QUELLIX_PRESET" --target Quellix TargetWindows WaitWindow -j "$(nproc)" >/dev/null
build=$PWD/build/$QUELLIX_PRESET
state=$build/shot-env
export WINEPREFIX=$build/shot-prefix
DISPLAY=$(quellix_start_xvfb "$state")
export DISPLAY
xvfb=$(cat "$state/xvfb.pid")
trap 'wineserver -k 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true' EXIT
quellix_init_prefix "$WINEPREFIX"
wine() { "$QUELLIX_WINE" "$@" 2>/dev/null | tr -d '\r'; }
wait_window() { wine "$build/bin/WaitWindow.exe" "$@"; }

wine reg delete 'HKCU\Software\Velmora' /f >/dev/null || true
rm -rf "$WINEPREFIX"/drive_c/users/*/AppData/Local/Velmora-Quellix
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${QUELLIX_DPI:-96}" /f >/dev/null
wine "$build/bin/TargetWindows.exe" --log "$state/targets.log" \
  --window "Untitled - Notes" NotesWindow 640 380 460 300 10CF0000 0 \
  --window "Update available" UpdatePopup 720 260 320 150 10C80000 0 &
wait_window "Update available" >/dev/null
wine "$build/bin/Quellix.exe" &
read -r left top right bottom < <(wait_window "Quellix by Velmora")
read -r list_left list_top _ _ < <(wait_window "Quellix by Velmora" 1001)

# Double-click the first row of the window list (below the header), then OK in the editor.
scale=$((${QUELLIX_DPI:-96}))
xdotool mousemove $((list_left + 120 * scale / 96)) $((list_top + 28 * scale / 96)) \
  click --repeat 2 --delay 100 1
editor="Add Auto Close Window Info - Quellix by Velmora"
wait_window "$editor" >/dev/null
xdotool key Return
wait_window "$editor" --gone
xdotool mousemove 0 0

mkdir -p "$(dirname "$out")"
import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$out"
echo "$out"

# The menu by its button, then by keys: Apply is its 5th item, History its 6th.
menu_item() {
  read -r b_left b_top b_right b_bottom < <(wait_window "Quellix by Velmora" 1006)
  xdotool mousemove $(((b_left + b_right) / 2)) $(((b_top + b_bottom) / 2)) click 1
  sleep 0.5
  for _ in $(seq "$1"); do xdotool key Down; done
  xdotool key Return
}
menu_item 5
wait_window "Apply Rules - Quellix" >/dev/null
xdotool key Return
wait_window "Apply Rules - Quellix" --gone
menu_item 6
read -r h_left h_top h_right h_bottom < <(wait_window "History - Quellix by Velmora")
xdotool mousemove 0 0
history_out=$(dirname "$out")/history-window.png
import -window root -crop "$((h_right - h_left))x$((h_bottom - h_top))+$h_left+$h_top" +repage \
  "$history_out"
echo "$history_out"
