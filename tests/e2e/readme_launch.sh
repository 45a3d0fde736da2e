#!/usr/bin/env bash
# The readme and its launcher as the program folder ships them: 読んで☆.txt is
# code page 932 with CR LF and covers the menus and the settings file;
# ShellExecute.exe hands a path with blanks and Japanese to the associated
# application, and fails quietly (exit code only, no box) on a missing file
# or without an argument.
source "$(dirname "$0")/lib/common.sh"
app=$(new_app_folder)
EXT=.mekuri-e2e
PROGID=MekurinoteE2E.Opened
reg() { "$WINE64" reg "$@" </dev/null >/dev/null 2>&1; }
cleanup() {
  reg delete "HKCR\\$EXT" /f; reg delete "HKCR\\$PROGID" /f
  rm -rf "$app"; cleanup_apps
}
trap cleanup EXIT
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
launch() { timeout 30 "$WINE64" "$app/ShellExecute.exe" "$@" </dev/null >/dev/null 2>&1; }

# The readme.
readme="$app/読んで☆.txt"
[ -f "$readme" ] || fail "no 読んで☆.txt in the program folder"
python3 - "$readme" <<'EOF' || fail "readme content"
import sys
data = open(sys.argv[1], 'rb').read()
try:
    text = data.decode('cp932')
except UnicodeDecodeError as e:
    sys.exit(f'not code page 932: {e}')
if data.replace(b'\r\n', b'').count(b'\n') or data.replace(b'\r\n', b'').count(b'\r'):
    sys.exit('a line does not end in CR LF')
if not data.endswith(b'\r\n'):
    sys.exit('the last line has no CR LF')
for word in ('Mekurinote.ini', 'StartX', 'StartY', 'EveryHour', 'EveryHourBeep', 'HidingCheck',
             'S01=', 'M01=', 'Mekurinote_', 'QzlCmn.dll', 'Ctrl+S', 'Page Down', 'F5',
             '今日のメモを表示する', 'メイン画面を表示する', '日付指定でメモを表示する',
             '昨日以前のメモを消す', '親ウィンドウ以外を閉じる', '全ウィンドウを閉じる',
             '読んで☆.txt', '終了する', 'チェック付きを削除する'):
    if word not in text:
        sys.exit(f'missing: {word}')
lines = text.split('\r\n')
if not 150 <= len(lines) <= 300:
    sys.exit(f'{len(lines)} lines')
EOF

# Failures: exit code only, nothing left on the screen.
rc=0; launch || rc=$?
[ "$rc" -ne 0 ] && [ "$rc" -ne 124 ] || fail "no argument: exit code $rc"
rc=0; launch "$(winpath "$app")\\無い ファイル.txt" || rc=$?
[ "$rc" -ne 0 ] && [ "$rc" -ne 124 ] || fail "missing file: exit code $rc"
[ "$(driver count '#32770')" = 0 ] || fail "a message box is left after a missing file"

# Success: a made-up file type whose "open" copies the file, so the copy
# proves the associated command got the exact path.
reg add "HKCR\\$EXT" /ve /d "$PROGID" /f || fail "cannot register $EXT"
reg add "HKCR\\$PROGID\\shell\\open\\command" /ve \
  /d '"C:\windows\system32\cmd.exe" /c copy /y "%1" "%1.opened"' /f || fail "cannot register $PROGID"
mkdir -p "$app/めくり ノート"
cp "$readme" "$app/めくり ノート/読んで☆$EXT"
launch "$(winpath "$app")\\めくり ノート\\読んで☆$EXT" || fail "open: exit code $?"
eventually 15 test -f "$app/めくり ノート/読んで☆$EXT.opened" || fail "the associated command did not run"
eventually 5 cmp -s "$readme" "$app/めくり ノート/読んで☆$EXT.opened" || fail "the associated command got another file"
