#!/usr/bin/env python3
"""Synthesises the hourly chime, Jihou.wav: 16-bit PCM, mono, 44100 Hz.

    make_chime.py OUTPUT

The program starts playing the file at hh:59:57, so its time line is the
clock's: three short 440 Hz pips at 0, 1 and 2 seconds, and the long 880 Hz
tone of the full hour starting at exactly 3 seconds, dying away like a bell.
Every tone fades in and out over a few milliseconds so the speaker does not
click. Only integer sample positions and rounding are involved, so the same
script writes the same bytes on every build."""
import math
import os
import struct
import sys
import tempfile
import wave

RATE = 44100
FULL_SCALE = 32767

PIP_STARTS = (0.0, 1.0, 2.0)
PIP_FREQ = 440.0
PIP_LENGTH = 0.12
PIP_LEVEL = 0.45

HOUR_START = 3.0
HOUR_FREQ = 880.0
HOUR_LENGTH = 1.1
HOUR_LEVEL = 0.75
HOUR_DECAY = 0.45  # seconds for the fundamental to fall to 1/e
# Overtones of the long tone: multiple of the fundamental, level, decay. They
# fade faster than the fundamental, as a struck bell's do.
HOUR_PARTIALS = ((1, 1.0, HOUR_DECAY), (2, 0.22, 0.25), (3, 0.06, 0.15))

ATTACK = 0.006
RELEASE = 0.025
TOTAL_LENGTH = 4.2


def ramp(t, length):
    """A raised-cosine edge: 0 at t = 0, 1 at t = length."""
    if t >= length:
        return 1.0
    return 0.5 - 0.5 * math.cos(math.pi * t / length)


def edges(t, length):
    return ramp(t, ATTACK) * ramp(length - t, RELEASE)


def pip(t):
    return PIP_LEVEL * edges(t, PIP_LENGTH) * math.sin(2 * math.pi * PIP_FREQ * t)


def hour_tone(t):
    value = 0.0
    for multiple, level, decay in HOUR_PARTIALS:
        value += level * math.exp(-t / decay) * math.sin(2 * math.pi * HOUR_FREQ * multiple * t)
    # Long enough for the fade at the end to be gentle rather than a cut.
    return HOUR_LEVEL * edges(t, HOUR_LENGTH) * value / sum(p[1] for p in HOUR_PARTIALS)


def render():
    """Returns the samples as integers within the 16-bit range."""
    samples = [0.0] * round(TOTAL_LENGTH * RATE)
    tones = [(start, PIP_LENGTH, pip) for start in PIP_STARTS] + [(HOUR_START, HOUR_LENGTH, hour_tone)]
    for start, length, tone in tones:
        first = round(start * RATE)
        for n in range(round(length * RATE)):
            samples[first + n] += tone(n / RATE)
    peak = max(abs(s) for s in samples)
    if peak >= 1.0:
        raise ValueError(f'the chime would clip (peak {peak:.3f} of full scale)')
    return [round(s * FULL_SCALE) for s in samples]


def main(args):
    if len(args) != 1:
        sys.stderr.write('usage: make_chime.py OUTPUT\n')
        return 2
    output = args[0]
    data = struct.pack(f'<{round(TOTAL_LENGTH * RATE)}h', *render())
    folder = os.path.dirname(os.path.abspath(output))
    os.makedirs(folder, exist_ok=True)
    # Written beside the target and renamed, so a stopped build never leaves
    # a half-written chime that the program would then fail to open.
    fd, temp = tempfile.mkstemp(dir=folder, prefix='.chime-', suffix='.tmp')
    try:
        with os.fdopen(fd, 'wb') as f:
            with wave.open(f, 'wb') as w:
                w.setnchannels(1)
                w.setsampwidth(2)
                w.setframerate(RATE)
                w.writeframes(data)
        umask = os.umask(0)
        os.umask(umask)
        os.chmod(temp, 0o666 & ~umask)
        os.replace(temp, output)
    except BaseException:
        os.unlink(temp)
        raise
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
