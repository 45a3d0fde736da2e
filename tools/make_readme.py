#!/usr/bin/env python3
"""Turns the UTF-8 source of the user's readme into the shipped file: code
page 932 with CR LF line ends, as Notepad on a Japanese Windows opens it.

    make_readme.py SOURCE OUTPUT

A character that code page 932 cannot hold, or that does not come back the
same from it, stops the build with its line and column instead of reaching
the user as a question mark. The output is written to a temporary file and
renamed, so a failed run never leaves a half-written readme behind."""
import os
import sys
import tempfile


def convert(text):
    """Returns the code page 932 bytes of text, or raises ValueError naming
    the first character that cannot be carried."""
    if text.startswith('\ufeff'):
        text = text[1:]
    lines = text.replace('\r\n', '\n').replace('\r', '\n').split('\n')
    if lines and lines[-1] == '':
        lines.pop()
    out = []
    for number, line in enumerate(lines, 1):
        for column, ch in enumerate(line, 1):
            if ch < ' ' and ch != '\t':
                raise ValueError(f'line {number}, column {column}: control character U+{ord(ch):04X}')
            try:
                encoded = ch.encode('cp932')
            except UnicodeEncodeError:
                raise ValueError(f'line {number}, column {column}: {ch!r} (U+{ord(ch):04X}) '
                                 'has no code page 932 form') from None
            if encoded.decode('cp932') != ch:
                raise ValueError(f'line {number}, column {column}: {ch!r} (U+{ord(ch):04X}) '
                                 'reads back as another character')
        out.append(line.encode('cp932'))
    return b''.join(line + b'\r\n' for line in out)


def main(args):
    if len(args) != 2:
        sys.stderr.write('usage: make_readme.py SOURCE OUTPUT\n')
        return 2
    source, output = args
    try:
        with open(source, 'rb') as f:
            data = convert(f.read().decode('utf-8'))
    except (UnicodeDecodeError, ValueError) as e:
        sys.stderr.write(f'{source}: {e}\n')
        return 1
    folder = os.path.dirname(os.path.abspath(output))
    os.makedirs(folder, exist_ok=True)
    fd, temp = tempfile.mkstemp(dir=folder, prefix='.readme-', suffix='.tmp')
    try:
        with os.fdopen(fd, 'wb') as f:
            f.write(data)
        # mkstemp makes the file private; the readme is for every user.
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
