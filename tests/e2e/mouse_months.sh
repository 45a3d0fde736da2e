#!/usr/bin/env bash
# The months under the mouse: the wheel turned away from the user shows the
# previous month, towards the user the next one, the middle button today's
# month again; the right button opens the operation menu, which answers keys.
source "$(dirname "$0")/lib/common.sh"
app=$(new_app_folder)
printf '[Mekurinote]\r\nEveryHour=0\r\nStartX=6300\r\nStartY=600\r\n' > "$app/Mekurinote.ini"
start_app "$app"
eventually 30 driver visible "$CAPTION" || fail "main window did not open"
for w in "Memo - $(date +%Y/%m/%d)"; do driver close "$w" >/dev/null 2>&1 || true; done
month() { driver text "$CAPTION" 102; }
month_is() { [ "$((10#$(month)))" = "$1" ]; }
this=$((10#$(date +%m)))
prev=$(( this == 1 ? 12 : this - 1 ))
next=$(( this == 12 ? 1 : this + 1 ))
cell=$(driver find "$CAPTION" 15 1042 1111) || fail "no day 15 in the middle month"
read -r x y < <(driver point "$CAPTION" "$cell")
xdotool mousemove "$x" "$y"
sleep 0.3
xdotool click 4
eventually 5 month_is "$prev" || fail "wheel away: month box shows '$(month)', not $prev"
xdotool click 5 click 5
eventually 5 month_is "$next" || fail "wheel towards: month box shows '$(month)', not $next"
xdotool click 2
eventually 5 month_is "$this" || fail "middle button: month box shows '$(month)', not $this"

# The operation menu from the keyboard: Esc closes it; Down to its first
# command, today's month, and Enter.
xdotool click 5
eventually 5 month_is "$next" || fail "wheel towards did not step"
xdotool click 3
eventually 5 driver popup - >/dev/null || fail "right button opened no operation menu"
xdotool key Escape
eventually 5 bash -c "! \"$WINE64\" \"$DRIVER\" popup - >/dev/null 2>&1" || fail "Esc did not close the menu"
xdotool click 3
eventually 5 driver popup - >/dev/null || fail "right button opened no operation menu again"
sleep 0.3
shot mouse-menu.png
xdotool key Down Down Return
eventually 5 month_is "$this" || fail "the menu's month command by keys: month box shows '$(month)'"
exit_app
wait_app 0 || fail "program did not end cleanly"
rm -rf "$app"
