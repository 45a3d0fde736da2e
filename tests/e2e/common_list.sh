#!/usr/bin/env bash
# The common list as a user keeps it: opened from the operation menu's
# command, texts typed and added with Enter, two of them checked with Space,
# "チェック付きを削除する" chosen from the list's right-click menu, Esc to close;
# after a restart the remaining text is back and the memo file holds it
# enciphered under Common000. A damaged stored item (Common001) and a damaged
# memo of today are told of and kept as they are, and a list opened while
# another program holds the memo file locked removes nothing when it closes.
source "$(dirname "$0")/lib/common.sh"
app=$(new_app_folder)
printf '[Mekurinote]\r\nEveryHour=0\r\nStartX=600\r\nStartY=600\r\n' > "$app/Mekurinote.ini"
FORM3="class:Mekurinote.Form3"
dat="$app/Mekurinote_$(whoami).dat"
today=$(date +%Y/%m/%d)
printf '[Mekurinote]\r\nCommon001=damaged\r\n%s=damaged\r\n' "$today" > "$dat"
start_app "$app"
eventually 30 driver visible "$CAPTION" || fail "main window did not open"
gone() { ! "$WINE64" "$DRIVER" visible "$1" >/dev/null 2>&1; }
# Answers the message box captioned $1, whose text must contain $2.
answer_box() {
  eventually 10 driver visible "$1" || fail "no message box '$1'"
  [[ "$(driver text "$1" 65535)" == *"$2"* ]] || fail "box '$1' says '$(driver text "$1" 65535)'"
  driver command "$1" 1
  eventually 5 gone "$1" || fail "box '$1' did not close"
}
open_list() {
  driver command "$CAPTION" 0xC102
  eventually 10 driver visible "$FORM3" || fail "the common-information window did not open"
  answer_box 共通情報 "$1"
  sleep 0.5
}

memo="Memo - $today"
eventually 10 driver visible "$memo" || fail "today's memo window did not open"
[[ "$(driver text "$memo" 101)" == このメモは読み取れません* ]] || fail "damaged memo shows '$(driver text "$memo" 101)'"
driver command "$memo" 201
answer_box 処理中断 上書き保存できません
driver close "$memo"
open_list "1 件を読み取れませんでした"
[[ "$(xdotool search --name '^共通情報 [0-9][0-9]:[0-9][0-9]$' | wc -l)" -ge 1 ]] || fail "caption shows no clock"

read -r tx ty < <(driver point "$FORM3" 101)
xdotool mousemove "$tx" "$ty" click 1
sleep 0.3
for word in alpha beta gamma; do
  xdotool type --delay 40 "$word"
  xdotool key Return
  sleep 0.3
done
[ "$(driver text "$FORM3" 302)" = 3 ] || fail "count label after three adds: '$(driver text "$FORM3" 302)'"

# Check the first and the last item from the keyboard.
read -r l t r b < <(driver crect "$FORM3" 401)
xdotool mousemove $((l + 60)) $((t + 12)) click 1
sleep 0.3
[ "$(driver text "$FORM3" 101)" = alpha ] || fail "clicking the first item did not copy it: '$(driver text "$FORM3" 101)'"
xdotool key space End space
sleep 0.3

# Right click on the third item: it is selected, so the menu offers deleting it too.
xdotool mousemove $((r - 20)) $((t + 42)) click 3
eventually 5 driver popup - >/dev/null || fail "right click opened no menu"
sleep 1.5  # let the menu paint before the screenshot
shot common-list-menu.png
# Down past sort, sort, check all, uncheck all, delete one: the sixth item.
xdotool key --delay 80 Down Down Down Down Down Down Return
eventually 5 test "$(driver text "$FORM3" 302)" = 1 || fail "count after deleting the checked: '$(driver text "$FORM3" 302)'"
xdotool key Escape
eventually 5 bash -c "! \"$WINE64\" \"$DRIVER\" visible '$FORM3' >/dev/null 2>&1" || fail "Esc did not close the window"
grep -q '^Common000=' "$dat" || fail "the list was not written under Common000"
grep -q '^Common001=damaged' "$dat" || fail "the damaged item was not kept"
grep -q "^$today=damaged" "$dat" || fail "the damaged memo was not kept"
! grep -q '^Common002=' "$dat" || fail "a deleted text is still stored"
! grep -q 'beta' "$dat" || fail "the list is stored in clear text"

exit_app
wait_app 0 || fail "program did not end cleanly"
start_app "$app"
eventually 30 driver visible "$CAPTION" || fail "main window did not open again"
open_list "1 件を読み取れませんでした"
[ "$(driver text "$FORM3" 302)" = 1 ] || fail "count after restart: '$(driver text "$FORM3" 302)'"
read -r l t r b < <(driver crect "$FORM3" 401)
xdotool mousemove $((l + 60)) $((t + 12)) click 1
eventually 5 test "$(driver text "$FORM3" 101)" = beta || fail "the kept text after restart: '$(driver text "$FORM3" 101)'"
exit_app
wait_app 1 || fail "program did not end cleanly"

# Started while another program holds the memo file: the list says it could
# not read it and, closed after the lock has gone, removes nothing.
"$WINE64" "$DRIVER" lock "Z:$dat" 15000 </dev/null >/dev/null 2>&1 &
locker=$!
eventually 10 bash -c "! \"$WINE64\" \"$DRIVER\" lock 'Z:$dat' 0 >/dev/null 2>&1" || fail "the file did not get locked"
start_app "$app"
eventually 30 driver visible "$CAPTION" || fail "main window did not open a third time"
open_list "メモファイルを読み取れませんでした"
[ "$(driver text "$FORM3" 302)" = 0 ] || fail "count while locked: '$(driver text "$FORM3" 302)'"
wait "$locker"
driver close "$FORM3"
eventually 5 gone "$FORM3" || fail "the list did not close"
grep -q '^Common000=' "$dat" || fail "the list opened blind removed the stored item"
grep -q '^Common001=damaged' "$dat" || fail "the list opened blind removed the damaged item"
exit_app
wait_app 2 || fail "program did not end cleanly"
rm -rf "$app"
