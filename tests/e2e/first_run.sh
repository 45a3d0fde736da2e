#!/usr/bin/env bash
# The very first start, in a folder with nothing but the shipped files: the
# main window at its design place (top right of the work area), today's memo
# window and the today notice; closing the window only hides it and the tray
# icon's double-click brings it back; the exit chosen from the tray menu
# writes the window's place and no switch the user never changed.
source "$(dirname "$0")/lib/common.sh"
new_app_folder
open_app
driver wait "$TODAY_MEMO" 10000 || fail "today's memo window did not open"
eventually 10 count_is Mekurinote.FormToday 1 || fail "no today notice"
read -r l t r b < <(driver rect "$CAPTION")
screen_w=$(xdpyinfo -display "$DISPLAY" | awk '/dimensions:/ {split($2, d, "x"); print d[1]}')
[ $((screen_w - r)) -ge 0 ] && [ $((screen_w - r)) -le 40 ] && [ "$t" -ge 0 ] && [ "$t" -le 40 ] \
  || fail "main window at $l $t $r $b, not at the top right of a ${screen_w}-wide screen"

# Wine's tray window shows the icon at its top left.
driver close "$CAPTION"
eventually 5 gone "$CAPTION" || fail "close did not hide the window"
kill -0 "${APP_PIDS[0]}" || fail "closing the window ended the program"
xdotool mousemove 12 32 click --repeat 2 --delay 80 1
driver wait "$CAPTION" 5000 || fail "the tray icon's double-click did not show the window"
# "終了する" is the tray menu's last item. Wine's tray may miss a click that
# follows the double-click closely; a user clicks again.
tray_menu() { xdotool mousemove 12 32 click 3; driver wait "class:#32768" 3000; }
sleep 0.5
eventually 10 tray_menu || fail "the tray icon's right button opened no menu"
read -r ml mt mr mb < <(driver rect "class:#32768")
xdotool mousemove $(((ml + mr) / 2)) $((mb - 10))
sleep 0.5  # the menu highlights the item under the pointer before the click
xdotool click 1
wait_app || fail "the exit from the tray menu did not end the program"
ini=$(cat "$app/Mekurinote.ini") || fail "no settings file after the exit"
grep -q '^StartX=[0-9]' <<<"$ini" && grep -q '^StartY=[0-9]' <<<"$ini" || fail "no window place in: $ini"
! grep -Eq '^(EveryHour|EveryHourBeep|HidingCheck)=' <<<"$ini" || fail "switch keys written on a first run: $ini"
