#!/usr/bin/env bash
# The resident program with the real mouse: the today notice at start-up, the
# tray icon's right button opens the tray menu, closing hides the window and
# the tray icon's double-click brings it back, a right click on the calendar
# opens the operation menu, and its "終了する" ends the program and writes the
# settings.
source "$(dirname "$0")/lib/common.sh"
app=$(new_app_folder)
printf '[Mekurinote]\r\nEveryHour=0\r\nStartX=6000\r\nStartY=1500\r\n' > "$app/Mekurinote.ini"
menu_open() { driver popup - >/dev/null 2>&1; }
start_app "$app"
eventually 30 driver visible "$CAPTION" || fail "main window did not open"
eventually 10 bash -c "[ \"\$(\"$WINE64\" \"$DRIVER\" count Mekurinote.FormToday | tr -d '\r')\" = 1 ]" \
  || fail "no today notice at start-up"
sleep 0.5
shot today-notice.png

# Wine's tray window shows our icon at its top left.
tray_x=12 tray_y=32
xdotool mousemove $tray_x $tray_y click 3
eventually 5 menu_open || fail "the tray icon's right button opened no menu"
sleep 0.3
shot tray-menu.png
xdotool key Escape
xdotool mousemove 1000 900 click 1
eventually 5 bash -c "! \"$WINE64\" \"$DRIVER\" popup - >/dev/null 2>&1" || fail "tray menu did not close"

driver close "$CAPTION"
eventually 5 bash -c "! \"$WINE64\" \"$DRIVER\" visible '$CAPTION'" || fail "close did not hide the window"
kill -0 "${APP_PIDS[0]}" || fail "closing the window ended the program"
xdotool mousemove $tray_x $tray_y click --repeat 2 --delay 80 1
eventually 5 driver visible "$CAPTION" || fail "tray double-click did not show the window"

cell=$(driver find "$CAPTION" 10 1042 1111) || fail "no day 10 in the grid"
read -r x y < <(driver point "$CAPTION" "$cell")
xdotool mousemove "$x" "$y" click 3
eventually 5 menu_open || fail "right click opened no operation menu"
sleep 0.3
shot operation-menu.png

# "終了する", the last item, chosen with the mouse.
: > "$app/Mekurinote.ini"
read -r l t r b < <(driver popup -)
xdotool mousemove $(((l + r) / 2)) $((b - 12)) click 1
wait_app 0 || fail "the exit item did not end the program"
grep -q '^StartX=' "$app/Mekurinote.ini" || fail "exit did not write the settings"
rm -rf "$app"
