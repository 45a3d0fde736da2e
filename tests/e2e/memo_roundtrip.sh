#!/usr/bin/env bash
# A day's memo: Shift/Ctrl+Esc keep it, Ctrl+S stores it enciphered and underlines the day, a restart reads it.
source "$(dirname "$0")/lib/common.sh"
new_app_folder EveryHour=0 StartX=6300 StartY=600
day=15; [ "$(date +%d)" = 15 ] && day=16
memo="Memo - $(date +%Y/%m)/$day"
open_day() { click_at "$CAPTION" "$cell" 2 && driver wait "$memo" 10000 || fail "$memo did not open"; }
# The cell's longest row of ink on the screen: an underline is far longer than any row of the digits.
cell_ink() {
  local l t r b
  xdotool mousemove 1200 1000 sleep 0.5
  read -r l t r b < <(driver rect "$CAPTION" "$cell")
  xwd -root -display "$DISPLAY" -silent |
    /usr/bin/convert xwd:- -crop $((r - l))x$((b - t))+$l+$t +repage -colorspace gray -threshold 55% txt:- |
    awk -F'[,: ]+' 'NR > 1 && /#000000/ { n[$2]++ } END { m = 0; for (r in n) if (n[r] > m) m = n[r]; print m }'
}

open_app memo
cell=$(driver find "$CAPTION" "$day" 1042 1111) || fail "no cell for day $day in the middle month"
ink_before=$(cell_ink)
open_day
type_into "$memo" 101 "e2e memo"
xdotool key --delay 80 shift+Escape ctrl+Escape
sleep 1
driver wait "$memo" && driver wait "$TODAY_MEMO" || fail "Shift/Ctrl+Esc closed a memo with unsaved text"
text_is "$memo" 101 "e2e memo" || fail "text after Shift+Esc, Ctrl+Esc: '$(driver text "$memo" 101)'"
# Ctrl+Esc is the system's Start-menu key and may take the focus, as on Windows: the user clicks back in.
eventually 5 focus_on "$memo" 101 || fail "clicking into the memo did not give it the keyboard"
xdotool key --delay 80 ctrl+s
eventually 5 grep -qs "^$(date +%Y/%m)/$day=" "$dat" || fail "Ctrl+S wrote no memo"
! grep -q "e2e memo" "$dat" || fail "the memo is stored in clear text"
xdotool key Escape
eventually 5 gone "$memo" || fail "Esc did not close the saved memo"
ink_after=$(cell_ink)
[ "$ink_after" -ge $((ink_before + 5)) ] || fail "day $day not underlined: $ink_before before, $ink_after after"
exit_app

open_app
open_day
text_is "$memo" 101 "e2e memo" || fail "memo text after restart: '$(driver text "$memo" 101)'"
exit_app
