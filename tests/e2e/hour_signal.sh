#!/usr/bin/env bash
# The full hour under libfaketime: the chime (pips at 0, 1, 2 s, the hour at 3 s) is played through MCI.
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
log="$app/mci.log"
# Every process of the prefix must share the clock: a server of its own, and the real one back after.
restart_server() { quiet "$WINESERVER" -k || true; quiet "$WINESERVER" -w || true; }
boot() { quiet "$WINESERVER" -p || true; quiet "$WINE64" wineboot || true; }
trap 'cleanup; restart_server; unset LD_PRELOAD FAKETIME; boot' EXIT
restart_server
# The faked clock starts 60 s before the next full hour; the server warms up, the program starts at hh:59:44.
export LD_PRELOAD=$FAKETIME_LIB FAKETIME="+$(( (3600 - $(date +%s) % 3600) - 60 ))s"
boot
at_44() { [ $(( $(date +%s) % 3600 )) -ge $(( 3600 - 16 )) ]; }
eventually 60 at_44 || fail "the faked clock passed the hour while the server started"
WINEDEBUG=+mci APP_LOG=$log open_app
eventually 20 count_is Mekurinote.FormJihou 1 || fail "no time-signal window by $(date +%T) on the faked clock"
eventually 10 grep -qi 'play' "$log" || fail "the chime was not played through MCI"
grep -i 'open' "$log" | grep -qi 'Jihou.wav' || fail "the chime was not opened from the program folder"
closed_after_play() { grep mciSendString "$log" | sed -n '/play/,$p' | grep close >/dev/null; }
eventually 25 closed_after_play || fail "the chime was not closed after the full hour"
exit_app
