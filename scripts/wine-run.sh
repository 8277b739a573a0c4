#!/usr/bin/env bash
# Runs a Windows program under Wine with the test display and prefix of a build folder:
#   wine-run.sh BUILD_DIR PROGRAM.exe [ARGS...]
set -u
build=$(cd "$1" && pwd)
shift
. "$(dirname "$0")/wine-env.sh"
state="$build/test-env"
if [ ! -s "$state/display" ]; then
  echo "no test display: run the tests through ctest (its wine_setup fixture starts one)" >&2
  exit 2
fi
export DISPLAY=":$(cat "$state/display")"
export WINEPREFIX="$build/wineprefix"
exec "$QUELLIX_WINE" "$@"
