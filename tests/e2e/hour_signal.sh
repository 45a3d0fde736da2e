#!/usr/bin/env bash
# The full hour as the shipped program meets it, reading only the system
# clock: the Wine server and the program run under libfaketime, a few seconds
# before a full hour. The chime is opened through MCI from the program folder
# at hh:59:52 and played, the time-signal window names the hour, and the
# chime is closed again at hh:00:10. The shipped chime plays from hh:59:57:
# 16-bit PCM whose pips start at 0, 1 and 2 s and the hour's tone at 3 s.
source "$(dirname "$0")/lib/common.sh"
python3 - "$E2E_ROOT/dist/Jihou.wav" <<'PY' || fail "the chime's content"
import array, sys, wave
with wave.open(sys.argv[1]) as w:  # raises on anything but PCM
    assert (w.getnchannels(), w.getsampwidth()) == (1, 2), 'not 16-bit mono'
    rate, s = w.getframerate(), array.array('h', w.readframes(w.getnframes()))
peak = max(map(abs, s))
loud = [n / rate for n, v in enumerate(s) if abs(v) > 0.02 * peak]
starts = [t for i, t in enumerate(loud) if i == 0 or t - loud[i - 1] > 0.3]  # a sine passes zero every cycle
if peak >= 32767 or not 3.9 <= len(s) / rate <= 4.5 or len(starts) != 4 or \
        any(abs(a - b) > 0.01 for a, b in zip(starts, (0, 1, 2, 3))):
    sys.exit(f'peak {peak}, {len(s) / rate:.2f} s, tones from {starts}')
PY
FAKETIME_LIB=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
[ -f "$FAKETIME_LIB" ] || fail "libfaketime is not installed"
new_app_folder StartX=6300 StartY=600
log=$(mktemp)

# Every process of the prefix must share the clock: a server of its own.
restart_server() { "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true; "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true; }
restore_clock() {
  cleanup
  restart_server
  unset LD_PRELOAD FAKETIME  # the next runs need a server on the real clock again
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  "$WINE64" wineboot </dev/null >/dev/null 2>&1 || true
  rm -f "$log"
}
trap restore_clock EXIT
restart_server
# The faked clock starts 60 s before the next full hour; the server warms up
# under it, and the program starts at hh:59:44.
now=$(date +%s)
export LD_PRELOAD=$FAKETIME_LIB FAKETIME="+$(( (3600 - now % 3600) - 60 ))s"
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
"$WINE64" wineboot </dev/null >/dev/null 2>&1 || true
while [ $(( $(date +%s) % 3600 )) -lt $(( 3600 - 16 )) ]; do
  [ $(( $(date +%s) % 3600 )) -gt 60 ] || fail "the faked clock passed the hour while the server started"
  sleep 0.5
done
WINEDEBUG=+mci "$WINE64" "$app/Mekurinote.exe" </dev/null >/dev/null 2>"$log" &
APP_PIDS+=($!)
driver wait "$CAPTION" 30000 || fail "main window did not open under the faked clock"
echo "  started at $(date +%T) on the faked clock"
eventually 20 count_is Mekurinote.FormJihou 1 || fail "no time-signal window before the full hour (faked clock $(date +%T))"
eventually 10 grep -qi 'play' "$log" || fail "the chime was not played through MCI"
grep -i 'open' "$log" | grep -qi 'Jihou.wav' || fail "the chime was not opened from the program folder"
closed_after_play() { awk '/mciSendString/ && /play/ { p = 1 } p && /mciSendString/ && /close/ { c = 1 } END { exit !c }' "$log"; }
eventually 25 closed_after_play || fail "the chime was not closed after the full hour"
exit_app
