#!/usr/bin/env bash
# Missing shipped files: the readme fails quietly, a save is refused leaving the file alone, exit works.
source "$(dirname "$0")/lib/common.sh"
new_app_folder EveryHour=0 StartX=6300 StartY=600
rm "$app/QzlCmn.dll" "$app/ShellExecute.exe" "$app/Jihou.wav"
before=$(printf '[Mekurinote]\r\n2004/09/10=kept as it was\r\n' | tee "$dat")
open_app memo
quiet_readme() {
  driver command "$CAPTION" 0xCF00 || fail "readme command not delivered"
  sleep 4
  count_is '#32770' 0 && count_is Notepad 0 || fail "$1: a message box or Notepad opened"
  driver wait "$CAPTION" 5000 || fail "$1: the program is gone"
}
quiet_readme "no ShellExecute.exe"
cp "$E2E_ROOT/dist/ShellExecute.exe" "$app/"
mv "$app/読んで☆.txt" "$app/readme.bak"
quiet_readme "no readme"
mv "$app/readme.bak" "$app/読んで☆.txt"
driver command "$CAPTION" 0xCF00
eventually 20 count_is Notepad 1 || fail "with launcher and readme back, the readme did not open"
driver close class:Notepad
type_into "$TODAY_MEMO" 101 "not stored"
xdotool key --delay 80 ctrl+s
driver wait 処理中断 10000 || fail "no refusal after a save without QzlCmn.dll"
[[ "$(driver text 処理中断 65535)" == *QzlCmn.dll* ]] || fail "refusal text: '$(driver text 処理中断 65535)'"
driver command 処理中断 1
eventually 5 gone 処理中断 || fail "the refusal did not close"
text_is "$TODAY_MEMO" 101 "not stored" || fail "the memo window lost its text"
[ "$(cat "$dat")" = "$before" ] || fail "the refused save changed the memo file"
exit_app
