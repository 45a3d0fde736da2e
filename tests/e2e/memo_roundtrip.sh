#!/usr/bin/env bash
# A memo as a user writes it: today's memo opens at start-up, a double-click
# on a day opens that day's memo, Esc with Shift or Ctrl keeps the typed text,
# which is saved with Ctrl+S, Esc closes, the day is underlined on the screen,
# and after a restart the memo is still there and readable.
source "$(dirname "$0")/lib/common.sh"
app=$(new_app_folder)
printf '[Mekurinote]\r\nEveryHour=0\r\nStartX=6300\r\nStartY=600\r\n' > "$app/Mekurinote.ini"
start_app "$app"
eventually 30 driver visible "$CAPTION" || fail "main window did not open"
today_memo="Memo - $(date +%Y/%m/%d)"
eventually 10 driver visible "$today_memo" || fail "today's memo window did not open at start-up"

day=15; [ "$(date +%d)" = 15 ] && day=16
memo="Memo - $(date +%Y/%m)/$day"
cell=$(driver find "$CAPTION" "$day" 1042 1111) || fail "no cell for day $day in the middle month"
read -r x y < <(driver point "$CAPTION" "$cell")
# The cell as the screen shows it, and its longest row of ink: an underline
# is a row far longer than any row of the digits.
cell_ink() {
  local cl ct cr cb
  read -r cl ct cr cb < <(driver crect "$CAPTION" "$cell")
  xwd -root -display "$DISPLAY" -silent |
    /usr/bin/convert xwd:- -crop $((cr - cl))x$((cb - ct))+$cl+$ct +repage -colorspace gray -threshold 55% txt:- |
    awk -F'[,: ]+' 'NR > 1 && /#000000/ { n[$2]++ } END { m = 0; for (r in n) if (n[r] > m) m = n[r]; print m }'
}
xdotool mousemove 1200 1000
sleep 0.5
ink_before=$(cell_ink)
xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1
eventually 10 driver visible "$memo" || fail "double-click did not open $memo"
read -r tx ty < <(driver point "$memo" 101)
xdotool mousemove "$tx" "$ty" click 1
sleep 0.3
xdotool type --delay 30 "e2e memo"
sleep 0.5
# Esc with Shift or Ctrl closes nothing: the unsaved text and today's memo stay.
xdotool key --delay 80 shift+Escape ctrl+Escape
sleep 1
driver visible "$memo" >/dev/null && driver visible "$today_memo" >/dev/null \
  || fail "Shift+Esc or Ctrl+Esc closed a memo window with unsaved text"
[ "$(driver text "$memo" 101)" = "e2e memo" ] || fail "text after Shift+Esc, Ctrl+Esc: '$(driver text "$memo" 101)'"
# Ctrl+Esc is the system's own Start-menu key, which may take the focus away,
# as on Windows; the user clicks back into the memo, as often as it takes,
# before saving.
for _ in 1 2 3 4 5; do
  xdotool mousemove "$tx" "$ty" click 1
  sleep 0.5
  driver focused "$memo" 101 && break
done
driver focused "$memo" 101 || fail "clicking into the memo did not give it the keyboard"
xdotool key --delay 80 ctrl+s
eventually 5 grep -q "^$(date +%Y/%m)/$day=" "$app/Mekurinote_"*.dat || fail "Ctrl+S wrote no memo"
! grep -q "e2e memo" "$app/Mekurinote_"*.dat || fail "the memo is stored in clear text"
xdotool key Escape
eventually 5 bash -c "! \"$WINE64\" \"$DRIVER\" visible '$memo' >/dev/null 2>&1" || fail "Esc did not close the saved memo"
xdotool mousemove 1200 1000
sleep 0.5
ink_after=$(cell_ink)
[ "$ink_after" -ge $((ink_before + 5)) ] || fail "day $day not underlined on the screen: longest ink row $ink_before before, $ink_after after"
echo "  day $day: longest ink row $ink_before before the save, $ink_after after"
shot memo-underlined.png

if [ -n "${MEKURI_SHOT:-}" ]; then
  xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1
  eventually 10 driver visible "$memo"
  xdotool mousemove 1200 1000
  sleep 1.5
  xwd -root -display "$DISPLAY" -silent | /usr/bin/convert xwd:- "$MEKURI_SHOT"
fi

exit_app
wait_app 0 || fail "program did not end cleanly"

start_app "$app"
eventually 30 driver visible "$CAPTION" || fail "main window did not open again"
cell=$(driver find "$CAPTION" "$day" 1042 1111)
read -r x y < <(driver point "$CAPTION" "$cell")
xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1
eventually 10 driver visible "$memo" || fail "memo did not open after restart"
[ "$(driver text "$memo" 101)" = "e2e memo" ] || fail "memo text after restart: '$(driver text "$memo" 101)'"
exit_app
wait_app 1 || fail "program did not end cleanly"
rm -rf "$app"
