#!/usr/bin/env bash
# The very first start, in a folder with nothing but the shipped files: the
# main window at its design place (top right of the work area), today's memo
# window and the today notice; the exit chosen from the tray menu writes the
# window's place and no switch the user never changed.
source "$(dirname "$0")/lib/common.sh"
app=$(new_app_folder)
start_app "$app"
eventually 30 driver visible "$CAPTION" || fail "main window did not open"
eventually 10 driver visible "Memo - $(date +%Y/%m/%d)" || fail "today's memo window did not open"
eventually 10 bash -c "[ \"\$(\"$WINE64\" \"$DRIVER\" count Mekurinote.FormToday | tr -d '\r')\" = 1 ]" \
  || fail "no today notice"
read -r l t r b < <(driver rect "$CAPTION")
screen_w=$(xdpyinfo -display "$DISPLAY" 2>/dev/null | awk '/dimensions:/ {split($2, d, "x"); print d[1]}')
screen_w=${screen_w:-1280}
[ $((screen_w - r)) -ge 0 ] && [ $((screen_w - r)) -le 40 ] && [ "$t" -ge 0 ] && [ "$t" -le 40 ] \
  || fail "main window at $l $t $r $b, not at the top right of a ${screen_w}-wide screen"
sleep 0.5
shot first-run.png

# The tray icon sits at the top left of Wine's tray window; "終了する" is the
# tray menu's last item.
xdotool mousemove 12 32 click 3
eventually 5 driver popup - >/dev/null || fail "the tray icon's right button opened no menu"
read -r ml mt mr mb < <(driver popup -)
xdotool mousemove $(((ml + mr) / 2)) $((mb - 10)) click 1
wait_app 0 || fail "the exit from the tray menu did not end the program"
ini="$app/Mekurinote.ini"
[ -f "$ini" ] || fail "no settings file after the exit"
grep -q '^StartX=[0-9]' "$ini" && grep -q '^StartY=[0-9]' "$ini" || fail "no window place in: $(cat "$ini")"
! grep -Eq '^(EveryHour|EveryHourBeep|HidingCheck)=' "$ini" || fail "switch keys written on a first run: $(cat "$ini")"
rm -rf "$app"
