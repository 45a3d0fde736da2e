#!/usr/bin/env bash
# The design is 96 DPI; at 144 DPI (Wine's LogPixels) every window of the
# program is laid out half as large again: the main window, a day cell, the
# memo window and the common-information window, each within a few pixels.
source "$(dirname "$0")/lib/common.sh"
set_dpi() { "$WINE64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1; }
trap 'set_dpi 96; cleanup' EXIT
size_of() { local l t r b; read -r l t r b < <(driver rect "$@") && echo "$((r - l)) $((b - t))"; }
measure() {  # DPI -> "main-w main-h cell-w cell-h memo-w memo-h list-w list-h", in a subshell
  trap cleanup EXIT
  set_dpi "$1"
  new_app_folder EveryHour=0 StartX=600 StartY=600
  open_app
  driver wait "$TODAY_MEMO" 10000 || fail "today's memo did not open at $1 DPI"
  driver command "$CAPTION" 0xC102
  driver wait class:Mekurinote.Form3 10000 || fail "the common-information window did not open at $1 DPI"
  local cell; cell=$(driver find "$CAPTION" 15 1042 1111)
  echo "$(size_of "$CAPTION") $(size_of "$CAPTION" "$cell") $(size_of "$TODAY_MEMO") $(size_of class:Mekurinote.Form3 401)"
  exit_app
}
# A command substitution waits for the subshell: each program has ended before the next starts.
at96=($(measure 96))
at144=($(measure 144))
names=(main-width main-height cell-width cell-height memo-width memo-height list-width list-height)
for i in "${!names[@]}"; do
  want=$(( at96[i] * 3 / 2 )) diff=$(( at144[i] - at96[i] * 3 / 2 ))
  # Frames and captions come from the system's metrics, which Wine does not
  # scale as exactly as the client area; allow a little.
  [ "${diff#-}" -le 12 ] || fail "${names[i]}: ${at96[i]} at 96 DPI, ${at144[i]} at 144 DPI (want about $want)"
done
echo "  96 DPI: ${at96[*]}; 144 DPI: ${at144[*]}"
