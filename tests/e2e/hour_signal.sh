#!/usr/bin/env bash
# The full hour as the shipped program meets it, reading only the system
# clock: the Wine server and the program run under libfaketime, a few seconds
# before a full hour. The chime is opened through MCI from the program folder
# at hh:59:52 and played, the time-signal window names the hour, and the
# chime is closed again at hh:00:10.
source "$(dirname "$0")/lib/common.sh"
FAKETIME_LIB=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
[ -f "$FAKETIME_LIB" ] || fail "libfaketime is not installed"
app=$(new_app_folder)
printf '[Mekurinote]\r\nStartX=6300\r\nStartY=600\r\n' > "$app/Mekurinote.ini"
log=$(mktemp)

# Every process of the prefix must share the clock: a server of its own.
restart_server() { "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true; "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true; }
restore_clock() {
  cleanup_apps
  restart_server
  # The next runs need a server on the real clock again.
  unset LD_PRELOAD FAKETIME
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  "$WINE64" wineboot </dev/null >/dev/null 2>&1 || true
  [ -n "${KEEP_LOG:-}" ] && cp "$log" /tmp/hour.log; rm -f "$log"
}
trap restore_clock EXIT
restart_server
now=$(date +%s)
# The faked clock starts 60 s before the next full hour; the server warms up
# under it, and the program starts at hh:59:44.
offset=$(( (3600 - now % 3600) - 60 ))
export LD_PRELOAD=$FAKETIME_LIB FAKETIME="+${offset}s"
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
"$WINE64" wineboot </dev/null >/dev/null 2>&1 || true
while [ $(( $(date +%s) % 3600 )) -lt $(( 3600 - 16 )) ]; do
  [ $(( $(date +%s) % 3600 )) -gt 60 ] || fail "the faked clock passed the hour while the server started"
  sleep 0.5
done
WINEDEBUG=+mci "$WINE64" "$app/Mekurinote.exe" </dev/null >/dev/null 2>"$log" &
APP_PIDS+=($!)
eventually 30 driver visible "$CAPTION" || fail "main window did not open under the faked clock"
echo "  started at $(date +%T) on the faked clock"
window_up() { [ "$(driver count Mekurinote.FormJihou)" = 1 ]; }
eventually 20 window_up || fail "no time-signal window before the full hour (faked clock $(date +%T))"
sleep 1
shot hour-signal.png
eventually 10 grep -qi 'play' "$log" || fail "the chime was not played through MCI"
grep -i 'open' "$log" | grep -qi 'Jihou.wav' || fail "the chime was not opened from the program folder"
echo "  MCI: $(grep -ci 'mciSendString' "$log") command(s) traced, e.g. $(grep -i 'mciSendString' "$log" | head -1 | cut -c1-120)"
closed_after_play() { awk '/mciSendString/ && /play/ { p = 1 } p && /mciSendString/ && /close/ { c = 1 } END { exit !c }' "$log"; }
eventually 25 closed_after_play || fail "the chime was not closed after the full hour"
exit_app
wait_app 0 || fail "program did not end cleanly"
rm -rf "$app"
