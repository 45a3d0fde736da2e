#!/usr/bin/env bash
# One copy per desktop, whatever else is captioned めくりノート; a second start shows the first; of ten, one stays.
source "$(dirname "$0")/lib/common.sh"
MAIN="class:Mekurinote.Form1"
new_app_folder
start_app "$DRIVER" foreign "$CAPTION" 120000
driver wait class:CabinetWClass 30000 || fail "the foreign window did not open"
start_app
driver wait "$MAIN" 30000 || fail "a foreign window captioned $CAPTION stopped the start"
driver close "$MAIN"
eventually 5 gone "$MAIN" || fail "main window still visible after close"
timeout 30 "$WINE64" "$app/Mekurinote.exe" </dev/null >/dev/null 2>&1 || fail "second copy did not end by itself"
driver wait "$MAIN" 10000 || fail "running copy did not show its window"
count_is Mekurinote.Form1 1 || fail "second copy left a main window"
[ ! -e "$app/Mekurinote.ini" ] || fail "a settings file was written before exit"
exit_app "$MAIN"
kill "${APP_PIDS[0]}"

new_app_folder
first=${#APP_PIDS[@]}
for _ in $(seq 10); do start_app; done
alive() { local pid; for pid in "${APP_PIDS[@]:$first}"; do ! kill -0 "$pid" 2>/dev/null || echo "$pid"; done; }
one_left() { [ "$(alive | wc -l)" -le 1 ]; }
eventually 60 one_left || fail "$(alive | wc -l) of ten starts still run"
APP_PIDS+=("$(alive)") && [ -n "${APP_PIDS[-1]}" ] || fail "no copy stayed of ten starts"
driver wait "$MAIN" 10000 || fail "the copy that stayed shows no main window"
count_is Mekurinote.Form1 1 || fail "ten starts left $(driver count Mekurinote.Form1) main windows"
exit_app "$MAIN"
