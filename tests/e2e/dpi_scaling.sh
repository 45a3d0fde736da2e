#!/usr/bin/env bash
# At 144 DPI the main window, a day cell, the memo and the common list are half as large again as at 96.
source "$(dirname "$0")/lib/common.sh"
set_dpi() { quiet "$WINE64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f; }
trap 'set_dpi 96; cleanup' EXIT
size_of() { local l t r b; read -r l t r b < <(driver rect "$@") && echo "$((r - l)) $((b - t))"; }
measure() {  # in a subshell, which the command substitution waits for: each program ends before the next
  trap cleanup EXIT
  set_dpi "$1"
  new_app_folder EveryHour=0 StartX=600 StartY=600
  open_app memo
  open_list
  local cell; cell=$(driver find "$CAPTION" 15 1042 1111)
  echo "$(size_of "$CAPTION") $(size_of "$CAPTION" "$cell") $(size_of "$TODAY_MEMO") $(size_of "$FORM3" 401)"
  exit_app
}
at96=($(measure 96))
at144=($(measure 144))
names=(main-width main-height cell-width cell-height memo-width memo-height list-width list-height)
for i in "${!names[@]}"; do
  want=$(( at96[i] * 3 / 2 )) diff=$(( at144[i] - at96[i] * 3 / 2 ))
  # Wine scales frames and captions less exactly than client areas.
  [ "${diff#-}" -le 12 ] || fail "${names[i]}: ${at96[i]} at 96 DPI, ${at144[i]} at 144 DPI (want about $want)"
done
