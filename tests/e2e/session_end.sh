#!/usr/bin/env bash
# The session's end writes what exit writes: with a switch changed and the
# common list open holding a new text, ending the Wine session leaves the
# position, the switch and the list in the files, and the program ends.
source "$(dirname "$0")/lib/common.sh"
app=$(new_app_folder)
FORM3="class:Mekurinote.Form3"
start_app "$app"
eventually 30 driver visible "$CAPTION" || fail "main window did not open"
driver command "$CAPTION" 0xC110  # the hourly chime off
driver command "$CAPTION" 0xC102  # the common list
eventually 10 driver visible "$FORM3" || fail "the common-information window did not open"
sleep 0.5
read -r tx ty < <(driver point "$FORM3" 101)
xdotool mousemove "$tx" "$ty" click 1
sleep 0.3
xdotool type --delay 40 kept
xdotool key Return
eventually 5 test "$(driver text "$FORM3" 302)" = 1 || fail "the text was not added"

"$WINE64" wineboot --end-session </dev/null >/dev/null 2>&1 || fail "wineboot --end-session failed"
wait_app 0 || fail "program did not end with the session"
ini=$(cat "$app/Mekurinote.ini" 2>/dev/null) || fail "no settings file was written"
[[ "$ini" == *$'EveryHour=0\r'* && "$ini" == *StartX=* ]] || fail "the switch or the position was not written: $ini"
dat=$(ls "$app"/Mekurinote_*.dat) || fail "no memo file was written"
grep -q '^Common000=' "$dat" || fail "the open list was not written"
"$WINE64" wineboot </dev/null >/dev/null 2>&1 || true  # the session back for the runs after this one
rm -rf "$app"
