#!/usr/bin/env bash
# First start: window at the top right, memo and notice; close hides, tray shows; exit writes the place only.
source "$(dirname "$0")/lib/common.sh"
new_app_folder
open_app memo
eventually 10 count_is Mekurinote.FormToday 1 || fail "no today notice"
read -r l t r b < <(driver rect "$CAPTION")
screen_w=$(xdpyinfo -display "$DISPLAY" | awk '/dimensions:/ {split($2, d, "x"); print d[1]}')
[ $((screen_w - r)) -ge 0 ] && [ $((screen_w - r)) -le 40 ] && [ "$t" -ge 0 ] && [ "$t" -le 40 ] \
  || fail "main window at $l $t $r $b, not at the top right of a ${screen_w}-wide screen"
driver close "$CAPTION"
eventually 5 gone "$CAPTION" || fail "close did not hide the window"
kill -0 "${APP_PIDS[0]}" || fail "closing the window ended the program"
xdotool mousemove 12 32 click --repeat 2 --delay 80 1  # Wine's tray shows the icon at its top left
driver wait "$CAPTION" 5000 || fail "the tray icon's double-click did not show the window"
tray_menu() { xdotool mousemove 12 32 click 3; driver wait "class:#32768" 3000; }  # Wine's tray may miss a click
sleep 0.5
eventually 10 tray_menu || fail "the tray icon's right button opened no menu"
read -r ml mt mr mb < <(driver rect "class:#32768")
xdotool mousemove $(((ml + mr) / 2)) $((mb - 10)) sleep 0.5 click 1  # "終了する", once highlighted
wait_app || fail "the exit from the tray menu did not end the program"
ini=$(cat "$app/Mekurinote.ini") || fail "no settings file after the exit"
grep -q '^StartX=[0-9]' <<<"$ini" && grep -q '^StartY=[0-9]' <<<"$ini" || fail "no window place in: $ini"
! grep -Eq '^(EveryHour|EveryHourBeep|HidingCheck)=' <<<"$ini" || fail "switch keys written on a first run: $ini"
