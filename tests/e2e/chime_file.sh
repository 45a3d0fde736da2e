#!/usr/bin/env bash
# The chime as the program folder ships it: Jihou.wav is plain 16-bit PCM
# that any player opens, about four seconds long because playing starts at
# hh:59:57, with pips at 0, 1 and 2 s and the long tone of the full hour at
# exactly 3 s, and no clipped sample.
source "$(dirname "$0")/lib/common.sh"
chime="$E2E_ROOT/dist/Jihou.wav"
[ -f "$chime" ] || fail "no Jihou.wav in the program folder"
python3 - "$chime" <<'PY' || fail "chime content"
import sys, wave, struct
with open(sys.argv[1], 'rb') as f:
    head = f.read(12)
if head[:4] != b'RIFF' or head[8:12] != b'WAVE':
    sys.exit('not a RIFF/WAVE file')
with wave.open(sys.argv[1], 'rb') as w:  # raises on anything but PCM
    channels, width, rate, count = w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes()
    data = w.readframes(count)
if width != 2 or channels != 1:
    sys.exit(f'{channels} channel(s) of {8 * width} bits, not 16-bit mono')
length = count / rate
if not 3.9 <= length <= 4.5:
    sys.exit(f'{length:.3f} s long')
samples = struct.unpack(f'<{count}h', data)
peak = max(abs(s) for s in samples)
if peak >= 32767:
    sys.exit('clipped')
# A tone is a run of samples above 2 % of the peak; runs less than 0.3 s
# apart are one tone (a sine passes zero every cycle).
level, gap = 0.02 * peak, round(0.3 * rate)
tones, last = [], None
for n, s in enumerate(samples):
    if abs(s) > level:
        if last is None or n - last > gap:
            tones.append([n, n])
        tones[-1][1] = last = n
found = ', '.join(f'{a / rate:.3f}-{b / rate:.3f} s' for a, b in tones)
if len(tones) != 4:
    sys.exit(f'{len(tones)} tones: {found}')
for (start, end), want in zip(tones[:3], (0.0, 1.0, 2.0)):
    if abs(start / rate - want) > 0.01 or (end - start) / rate > 0.3:
        sys.exit(f'pips are not short tones at 0, 1 and 2 s: {found}')
start, end = tones[3]
if abs(start / rate - 3.0) > 0.01:
    sys.exit(f'the full-hour tone starts at {start / rate:.4f} s: {found}')
if (end - start) / rate < 0.5:
    sys.exit(f'the full-hour tone is short: {found}')
PY
