#!/usr/bin/env bash
# The common list: add, check, delete, Esc; stored enciphered for a restart, and at the session's end.
source "$(dirname "$0")/lib/common.sh"
new_app_folder EveryHour=0 StartX=600 StartY=600
add_items() {
  open_list
  eventually 5 focus_on "$FORM3" 101 || fail "no focus in the common list"
  for word; do xdotool type --delay 40 "$word"; xdotool key Return; sleep 0.3; done
}
first_item() { read -r l t r b < <(driver rect "$FORM3" 401); xdotool mousemove $((l + 60)) $((t + 12)) click 1; }

open_app
add_items alpha beta gamma
text_is "$FORM3" 302 3 || fail "count label after three adds: '$(driver text "$FORM3" 302)'"
first_item
eventually 5 text_is "$FORM3" 101 alpha || fail "clicking the first item did not copy it"
xdotool key space End space
sleep 0.3
xdotool mousemove $((r - 20)) $((t + 42)) click 3  # on the selected third item: the menu may delete it too
driver wait "class:#32768" 5000 || fail "right click opened no menu"
# Past sort, sort, check all, uncheck all, delete one: the sixth item.
xdotool key --delay 80 Down Down Down Down Down Down Return
eventually 5 text_is "$FORM3" 302 1 || fail "count after deleting the checked: '$(driver text "$FORM3" 302)'"
xdotool key Escape
eventually 5 gone "$FORM3" || fail "Esc did not close the window"
grep -q '^Common000=' "$dat" && ! grep -q '^Common001=' "$dat" || fail "not one text stored: $(cat "$dat")"
! grep -q 'beta' "$dat" || fail "the list is stored in clear text"
exit_app

open_app
add_items kept
text_is "$FORM3" 302 2 || fail "count after restart and one add: '$(driver text "$FORM3" 302)'"
first_item
eventually 5 text_is "$FORM3" 101 beta || fail "the kept text after restart: '$(driver text "$FORM3" 101)'"
driver command "$CAPTION" 0xC111  # the chime's beep switched
quiet "$WINE64" wineboot --end-session || fail "wineboot --end-session failed"
wait_app || fail "program did not end with the session"
quiet "$WINE64" wineboot || true  # the session back for the runs after this one
grep -q '^EveryHourBeep=' "$app/Mekurinote.ini" || fail "the session's end wrote no settings"
grep -q '^Common001=' "$dat" || fail "the session's end did not write the open list"
