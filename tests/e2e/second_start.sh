#!/usr/bin/env bash
# A second start hands over to the running copy: the hidden main window comes
# back, the second process ends at once and nothing is written.
source "$(dirname "$0")/lib/common.sh"
app=$(new_app_folder)
start_app "$app"
eventually 30 driver visible "$CAPTION" || fail "main window did not open"
driver hide "$CAPTION"
! driver visible "$CAPTION" || fail "main window still visible after hide"

timeout 30 "$WINE64" "$app/Mekurinote.exe" </dev/null >/dev/null 2>&1 || fail "second copy did not end by itself"
eventually 10 driver visible "$CAPTION" || fail "running copy did not show its window"
[ "$(driver count Mekurinote.Form1)" = 1 ] || fail "second copy left a main window"
[ ! -e "$app/Mekurinote.ini" ] || fail "a settings file was written before exit"

exit_app
wait_app 0 || fail "program did not end cleanly"
grep -q '^StartX=' "$app/Mekurinote.ini" || fail "exit did not write StartX"
rm -rf "$app"
