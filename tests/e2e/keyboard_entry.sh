#!/usr/bin/env bash
# Real keys and clicks: the user types a year and a month and presses Enter,
# then types a wrong year and gets the refusal message.
source "$(dirname "$0")/lib/common.sh"
app=$(new_app_folder)
printf '[Mekurinote]\r\nEveryHour=0\r\nStartX=1500\r\nStartY=1500\r\n' > "$app/Mekurinote.ini"
start_app "$app"
eventually 30 driver visible "$CAPTION" || fail "main window did not open"
sleep 0.5

read -r x y < <(driver point "$CAPTION" 101)
xdotool mousemove "$x" "$y" click 1
xdotool key ctrl+a type 2006
xdotool key Tab
xdotool type 8
xdotool key Return
eventually 5 bash -c "[ \"\$(\"$WINE64\" \"$DRIVER\" text '$CAPTION' 1201 2>/dev/null | tr -d '\r')\" = 2006.08 ]" \
  || fail "Enter did not show August 2006 (heading: $(driver text "$CAPTION" 1201))"
[ "$(driver text "$CAPTION" 1200)" = 2006.07 ] || fail "previous month heading wrong"

# Page Down in the month box moves one year on.
xdotool key Next
eventually 5 bash -c "[ \"\$(\"$WINE64\" \"$DRIVER\" text '$CAPTION' 1201 2>/dev/null | tr -d '\r')\" = 2007.08 ]" \
  || fail "Page Down did not step a year"

read -r x y < <(driver point "$CAPTION" 101)
xdotool mousemove "$x" "$y" click 1
xdotool key ctrl+a type 1969
xdotool key Return
driver wait "処理中断" 5000 || fail "no refusal message for 1969"
xdotool key Return
eventually 5 bash -c "! \"$WINE64\" \"$DRIVER\" visible '処理中断' >/dev/null 2>&1" || fail "message did not close"
[ "$(driver text "$CAPTION" 1201)" = 2007.08 ] || fail "refused year changed the display"

exit_app
wait_app 0 || fail "program did not end cleanly"
grep -q '^StartX=1500' "$app/Mekurinote.ini" || fail "position not written back: $(cat "$app/Mekurinote.ini")"
rm -rf "$app"
