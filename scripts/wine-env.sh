# Sourced by the run, test and screenshot scripts: the Wine settings that work
# headless, a private prefix prepared once, and an Xvfb of our own when there is
# no display. Call wine_env_up before use and wine_env_down on the way out.
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
REPO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$REPO_ROOT/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv,wineoss.drv="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

_OWN_XVFB_PID=

# Picks a free display number and starts Xvfb there; remembers its pid.
start_own_xvfb() {
  local n
  for n in $(seq 90 140); do
    if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then
      Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
      _OWN_XVFB_PID=$!
      for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
      export DISPLAY=:$n
      return 0
    fi
  done
  echo "no free X display" >&2; return 1
}

wine_env_up() {
  if [ -z "${DISPLAY:-}" ] || [ "${MEKURI_OWN_XVFB:-0}" = 1 ]; then start_own_xvfb; fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  if [ ! -f "$WINEPREFIX/.mekurinote-ready-3" ]; then
    echo "wine: preparing prefix $WINEPREFIX" >&2
    "$WINE64" wineboot -u </dev/null >/dev/null 2>&1 || true
    "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
    # Without a window manager, hiding a window otherwise stalls for seconds.
    "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    # The readme opens in Notepad, as a .txt file does on Windows.
    "$WINE64" reg add 'HKCR\.txt' /ve /d txtfile /f </dev/null >/dev/null 2>&1
    # This Wine build does not find the TrueType fonts it ships, so the frame's
    # caption buttons, drawn with Marlett, came out as letters; the system
    # font folder is searched.
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.mekurinote-ready-3"
  fi
  # A warm server keeps every start cheap; no pipe of ours may be inherited.
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  "$WINE64" wineboot </dev/null >/dev/null 2>&1 || true
}

wine_env_down() {
  "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  if [ -n "$_OWN_XVFB_PID" ]; then kill "$_OWN_XVFB_PID" 2>/dev/null || true; wait "$_OWN_XVFB_PID" 2>/dev/null || true; fi
}
