#!/usr/bin/env bash
# One copy per desktop. Another program's window captioned めくりノート (an
# Explorer folder of that name) does not stop the start; a second start hands
# over to the running copy: the hidden main window comes back, the second
# process ends at once and nothing is written. Ten starts at once leave one copy.
source "$(dirname "$0")/lib/common.sh"
MAIN="class:Mekurinote.Form1"
new_app_folder
"$WINE64" "$DRIVER" foreign "$CAPTION" 120000 </dev/null >/dev/null 2>&1 &
APP_PIDS+=($!)
driver wait class:CabinetWClass 30000 || fail "the foreign window did not open"
start_app
driver wait "$MAIN" 30000 || fail "a foreign window captioned $CAPTION stopped the start"
driver close "$MAIN"
eventually 5 gone "$MAIN" || fail "main window still visible after close"
timeout 30 "$WINE64" "$app/Mekurinote.exe" </dev/null >/dev/null 2>&1 || fail "second copy did not end by itself"
driver wait "$MAIN" 10000 || fail "running copy did not show its window"
count_is Mekurinote.Form1 1 || fail "second copy left a main window"
[ ! -e "$app/Mekurinote.ini" ] || fail "a settings file was written before exit"
driver command "$MAIN" 0xCFFF
wait_app || fail "program did not end cleanly"
grep -q '^StartX=' "$app/Mekurinote.ini" || fail "exit did not write StartX"
kill "${APP_PIDS[0]}"

# Ten starts in the same instant: nine end by themselves, one stays.
new_app_folder
first=${#APP_PIDS[@]}
for _ in $(seq 10); do start_app; done
running() { local pid n=0; for pid in "${APP_PIDS[@]:$first}"; do kill -0 "$pid" 2>/dev/null && n=$((n + 1)); done; echo "$n"; }
one_left() { [ "$(running)" -le 1 ]; }
eventually 60 one_left || fail "$(running) of ten starts still run"
[ "$(running)" = 1 ] || fail "no copy stayed of ten starts"
driver wait "$MAIN" 10000 || fail "the copy that stayed shows no main window"
count_is Mekurinote.Form1 1 || fail "ten starts left $(driver count Mekurinote.Form1) main windows"
driver command "$MAIN" 0xCFFF
for i in $(seq "$first" $((first + 9))); do
  if kill -0 "${APP_PIDS[$i]}" 2>/dev/null; then wait_app "$i" || fail "the copy that stayed did not end cleanly"; fi
done
