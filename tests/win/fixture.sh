#!/usr/bin/env bash
# ctest fixture for the Windows tests: a private Xvfb display and a private Wine prefix
# (with Wine's virtual desktop) under the build folder.
#   fixture.sh start BUILD_DIR | fixture.sh stop BUILD_DIR
# Stops only what it started.
set -eu
action=$1
build=$(cd "$2" && pwd)
. "$(dirname "$0")/../../scripts/wine-env.sh"
state="$build/test-env"
export WINEPREFIX="$build/wineprefix"

case "$action" in
start)
  if [ -s "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null && [ -s "$state/display" ]; then
    export DISPLAY=":$(cat "$state/display")"
  else
    DISPLAY=$(quellix_start_xvfb "$state")
    export DISPLAY
  fi
  quellix_init_prefix "$WINEPREFIX"
  # One wine server for the whole run; its desktop and services start here, detached from
  # the output pipes of the tests.
  wineserver -p </dev/null >/dev/null 2>&1 || true
  "$QUELLIX_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
  echo "test display $DISPLAY, prefix $WINEPREFIX"
  ;;
stop)
  wineserver -k </dev/null >/dev/null 2>&1 || true
  if [ -s "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid" "$state/display"
  fi
  ;;
*)
  echo "usage: fixture.sh start|stop BUILD_DIR" >&2
  exit 2
  ;;
esac
