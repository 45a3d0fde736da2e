#!/usr/bin/env bash
# The design is 96 DPI; at 144 DPI (Wine's LogPixels) every window of the
# program is laid out half as large again: the main window, a day cell, the
# memo window and the common-information window, each within a few pixels.
source "$(dirname "$0")/lib/common.sh"
set_dpi() {
  "$WINE64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
}
trap 'set_dpi 96; cleanup_apps' EXIT
size_of() { local l t r b; read -r l t r b < <(driver "$@"); echo "$((r - l)) $((b - t))"; }
measure() {  # DPI -> "main-w main-h cell-w cell-h memo-w memo-h list-w list-h"
  set_dpi "$1"
  local app; app=$(new_app_folder)
  printf '[Mekurinote]\r\nEveryHour=0\r\nStartX=600\r\nStartY=600\r\n' > "$app/Mekurinote.ini"
  start_app "$app"
  eventually 30 driver visible "$CAPTION" || fail "main window did not open at $1 DPI"
  local memo="Memo - $(date +%Y/%m/%d)"
  eventually 10 driver visible "$memo" || fail "today's memo did not open at $1 DPI"
  driver command "$CAPTION" 0xC102
  eventually 10 driver visible class:Mekurinote.Form3 || fail "the common-information window did not open at $1 DPI"
  sleep 1
  shot "dpi-$1.png"
  local cell; cell=$(driver find "$CAPTION" 15 1042 1111)
  echo "$(size_of rect "$CAPTION") $(size_of crect "$CAPTION" "$cell") $(size_of rect "$memo") $(size_of crect class:Mekurinote.Form3 401)"
  exit_app
  wait_app $((${#APP_PIDS[@]} - 1)) || fail "program did not end cleanly at $1 DPI"
  rm -rf "$app"
}
read -r -a at96 < <(measure 96)
read -r -a at144 < <(measure 144)
names=(main-width main-height cell-width cell-height memo-width memo-height list-width list-height)
for i in "${!names[@]}"; do
  want=$(( at96[i] * 3 / 2 ))
  diff=$(( at144[i] - want ))
  # Frames and captions come from the system's metrics, which Wine does not
  # scale as exactly as the client area; allow a little.
  [ "${diff#-}" -le 12 ] || fail "${names[i]}: ${at96[i]} at 96 DPI, ${at144[i]} at 144 DPI (want about $want)"
done
echo "  96 DPI: ${at96[*]}; 144 DPI: ${at144[*]}"

# At 175% and 225% a pixel is no whole number of twips: the position written
# at exit is where the next start opens.
for dpi in 168 216; do
  set_dpi "$dpi"
  app=$(new_app_folder)
  printf '[Mekurinote]\r\nEveryHour=0\r\nStartX=1300\r\nStartY=1300\r\n' > "$app/Mekurinote.ini"
  opened=()
  for run in 1 2; do
    start_app "$app"
    eventually 30 driver visible "$CAPTION" || fail "main window did not open at $dpi DPI"
    read -r l t _ < <(driver rect "$CAPTION")
    opened+=("$l,$t")
    exit_app
    wait_app $((${#APP_PIDS[@]} - 1)) || fail "program did not end cleanly at $dpi DPI"
  done
  [ "${opened[0]}" = "${opened[1]}" ] ||
    fail "at $dpi DPI the window opened at ${opened[0]}, then at ${opened[1]} ($(grep -a Start "$app/Mekurinote.ini" | tr -d '\r' | tr '\n' ' '))"
  echo "  $dpi DPI: opened at ${opened[0]} twice"
  rm -rf "$app"
done
