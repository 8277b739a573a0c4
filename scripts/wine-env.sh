# Sourced by the scripts: how to start Wine on this host, and shared set-up steps.
# Sets QUELLIX_WINE (the Wine loader) and QUELLIX_PRESET (the Windows build this host can run).

# A kernel without 32-bit support cannot start Wine's 32-bit loader; such hosts run the
# x86_64 build of the same sources under wine64.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  QUELLIX_WINE=/usr/lib/wine/wine
  QUELLIX_PRESET=windows
else
  QUELLIX_WINE=/usr/lib/wine/wine64
  QUELLIX_PRESET=windows64
  export WINELOADER=/usr/lib/wine/wine64
fi
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts in a fresh prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Starts Xvfb on a free display; writes the display and the pid into the state folder.
quellix_start_xvfb() {
  local state=$1
  mkdir -p "$state"
  rm -f "$state/display"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$state/display" >"$state/xvfb.log" 2>&1 &
  echo $! >"$state/xvfb.pid"
  local deadline=$((SECONDS + 20))
  until [ -s "$state/display" ]; do
    if [ $SECONDS -ge $deadline ] || ! kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
      echo "Xvfb did not start; see $state/xvfb.log" >&2
      return 1
    fi
    sleep 0.1
  done
  echo ":$(cat "$state/display")"
}

# Creates a Wine prefix once: Wine's virtual desktop (so the tray has a home and hiding a
# window does not stall), no crash dialogs, and Wine's own fonts (Debian's fonts-wine), which
# the prefix does not find by itself: without Marlett the caption buttons show as letters, and
# without Tahoma (MS Shell Dlg) the dialogs use a wider font than they were laid out for.
# Bump the marker's name when the set-up changes, so that existing prefixes take it up.
quellix_prefix_ready() { [ -f "$1/.quellix-ready-2" ]; }
quellix_init_prefix() {
  local prefix=$1
  quellix_prefix_ready "$prefix" && return 0
  mkdir -p "$prefix"
  # Where the 32-bit build runs, its prefixes are 32-bit, as a 32-bit Windows: the tray's
  # helpers then have the tests' pointer size, which the tray probe needs to read the tips.
  # A prefix keeps its kind; the x86_64 build's own stay 64-bit.
  local arch=
  if [ "$QUELLIX_PRESET" = windows ]; then
    case $prefix in */windows64/*) ;; *) arch=win32 ;; esac
  fi
  WINEPREFIX=$prefix env ${arch:+WINEARCH=$arch} "$QUELLIX_WINE" wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX=$prefix "$QUELLIX_WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  WINEPREFIX=$prefix "$QUELLIX_WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x800 /f >/dev/null 2>&1
  WINEPREFIX=$prefix "$QUELLIX_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  WINEPREFIX=$prefix wineserver -w
  cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$prefix/drive_c/windows/Fonts/"
  rm -f "$prefix/.quellix-ready"
  touch "$prefix/.quellix-ready-2"
}
