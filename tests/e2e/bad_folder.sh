#!/usr/bin/env bash
# The real program folder without its companions: with no QzlCmn.dll,
# ShellExecute.exe, Jihou.wav or 読んで☆.txt the program still starts, the
# readme command fails quietly, a memo save is refused with its "処理中断"
# message and leaves the memo file alone, and the exit still ends it.
source "$(dirname "$0")/lib/common.sh"
app=$(new_app_folder)
trap 'rm -rf "$app"; cleanup_apps' EXIT
rm "$app/QzlCmn.dll" "$app/ShellExecute.exe" "$app/Jihou.wav"
printf '[Mekurinote]\r\nEveryHour=0\r\nStartX=6300\r\nStartY=600\r\n' > "$app/Mekurinote.ini"
dat="$app/Mekurinote_$(whoami).dat"
printf '[Mekurinote]\r\n2004/09/10=kept as it was\r\n' > "$dat"
cp "$dat" "$app/before.dat"

start_app "$app"
eventually 30 driver visible "$CAPTION" || fail "main window did not open"
memo="Memo - $(date +%Y/%m/%d)"
eventually 10 driver visible "$memo" || fail "today's memo window did not open at start-up"

# The readme command, first without the launcher, then without the readme,
# then with both, which shows that the check would see the readme open.
notepads() { driver count Notepad; }
notepad_open() { [ "$(notepads)" = 1 ]; }
quiet_readme() {
  driver command "$CAPTION" 0xCF00 || fail "readme command not delivered"
  sleep 4
  [ "$(driver count '#32770')" = 0 ] || fail "$1: a message box appeared"
  [ "$(notepads)" = 0 ] || fail "$1: something was opened"
  driver visible "$CAPTION" || fail "$1: the program is gone"
}
quiet_readme "no ShellExecute.exe"
cp "$E2E_ROOT/dist/ShellExecute.exe" "$app/"
mv "$app/読んで☆.txt" "$app/readme.bak"
quiet_readme "no readme"
mv "$app/readme.bak" "$app/読んで☆.txt"
driver command "$CAPTION" 0xCF00
eventually 20 notepad_open || fail "with launcher and readme back, the readme did not open"
driver close class:Notepad

# A save without the cipher library.
read -r tx ty < <(driver point "$memo" 101)
xdotool mousemove "$tx" "$ty" click 1
sleep 0.3
xdotool type --delay 30 "not stored"
xdotool key --delay 80 ctrl+s
eventually 10 driver visible "処理中断" || fail "no refusal after a save without QzlCmn.dll"
text=$(driver text "処理中断" 65535) || fail "cannot read the refusal"
[[ "$text" == *QzlCmn.dll* ]] || fail "refusal text: '$text'"
shot bad-folder-refusal.png
driver command "処理中断" 1
eventually 5 bash -c "! \"$WINE64\" \"$DRIVER\" visible '処理中断' >/dev/null 2>&1" || fail "the refusal did not close"
[ "$(driver text "$memo" 101)" = "not stored" ] || fail "the memo window lost its text"
cmp -s "$dat" "$app/before.dat" || fail "the refused save changed the memo file"

exit_app
wait_app 0 || fail "program did not end cleanly"
grep -q "StartX=" "$app/Mekurinote.ini" || fail "the exit wrote no settings"
