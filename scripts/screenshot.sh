#!/usr/bin/env bash
# Retakes the pictures in docs/ under Wine in a private Xvfb:
# scripts/screenshot.sh [NAME...] saves docs/screenshot-NAME.png for each name
# (timesignal: both time-signal pictures), every picture by default. Each
# picture runs the program from a copy of dist/ with a settings file of its
# own, driven as the end-to-end runs drive it; the clock is faked
# (libfaketime) to a fixed day, so the calendar and the clocks come out the
# same every time, and holiday rules give the grid its colours.
set -euo pipefail
export MEKURI_OWN_XVFB=1
source "$(dirname "$0")/../tests/e2e/lib/common.sh"
cd "$E2E_ROOT"
FAKETIME_LIB=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
DAY=2026/12/06 TODAY_MEMO="Memo - 2026/12/06"
HOLIDAYS=(S01=01/01 S02=01:2:2 S03=02/11 S04=09:3:2 S05=09/23 S06=10:2:2 S07=11/03 S08=11/23)
MENU="class:#32768"
# A failure keeps the screen as it was for a look.
fail() { xwd -root -silent | /usr/bin/convert xwd:- build/screenshot-failed.png; echo "screenshot: $*" >&2; exit 1; }

set_dpi() { quiet "$WINE64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f; }
# Every process of the prefix must share the clock: the server starts afresh with it.
clock_at() {
  quiet "$WINESERVER" -k || true
  quiet "$WINESERVER" -w || true
  local offset=$(($(env -u LD_PRELOAD date -d "$DAY $1" +%s) - $(env -u LD_PRELOAD date +%s)))
  export LD_PRELOAD=$FAKETIME_LIB FAKETIME=$(printf '%+ds' "$offset")
  quiet "$WINESERVER" -p || true
  quiet "$WINE64" wineboot || true
}
finish() { cleanup; set_dpi 96; wine_env_down; rm -rf build/screenshot.xwd build/screenshot-frames; }
trap finish EXIT

# png IN NAME [OPTIONS...]: docs/screenshot-NAME.png, without a time stamp.
png() { /usr/bin/convert "$1" "${@:3}" +repage -define png:exclude-chunks=date,time "docs/screenshot-$2.png"; }
# shot NAME X Y W H: that part of the screen, the pointer out of the way; a
# loaded machine may paint late, so the grabs go on until two agree.
shot() {
  local grab=build/screenshot.xwd sum last=""
  xdotool mousemove 1279 1023
  for _ in 1 2 3 4 5 6; do
    sleep 0.5
    xwd -root -silent > "$grab"
    sum=$(/usr/bin/convert "xwd:$grab" -crop "$4x$5+$2+$3" rgb:- | md5sum)
    [ "$sum" != "$last" ] || break
    last=$sum
  done
  png "xwd:$grab" "$1" -crop "$4x$5+$2+$3"
  echo "screenshot: docs/screenshot-$1.png"
}
# around NAME WINDOW: the window with a margin of 20 pixels.
around() {
  local l t r b
  read -r l t r b < <(driver rect "$2") || fail "no window $2 for $1"
  shot "$1" $((l - 20)) $((t - 20)) $((r - l + 40)) $((b - t + 40))
}
# The today notice, closed by hand, opens the common list: both go.
no_notice() {
  driver close class:Mekurinote.FormToday && driver wait "$FORM3" 10000 && driver close "$FORM3" \
    && eventually 5 gone "$FORM3" || fail "the today notice and the common list did not go"
}
start() { new_app_folder "${HOLIDAYS[@]}" "$@" && open_app memo && sleep 1; }

pic_main() { start StartX=3000 StartY=1500; around main "$CAPTION"; exit_app; }

pic_memo() {
  start StartX=6300 StartY=600
  no_notice
  local memo="Memo - 2026/12/15" cell
  cell=$(driver find "$CAPTION" 15 1042 1111) || fail "no cell for the 15th"
  click_at "$CAPTION" "$cell" 2 && driver wait "$memo" 10000 || fail "$memo did not open"
  type_into "$memo" 101 "e2e memo"
  xdotool key ctrl+s
  eventually 5 grep -qs "^2026/12/15=" "$dat" || fail "Ctrl+S wrote no memo"
  xdotool key ctrl+End
  shot memo 0 0 1100 700
  exit_app
}

pic_today_notice() {
  start StartX=8475 StartY=1425  # under the notice
  driver wait class:Mekurinote.FormToday 10000 || fail "no today notice"
  around today-notice class:Mekurinote.FormToday
  exit_app
}

pic_common() {
  start StartX=6300 StartY=600
  no_notice
  open_list
  eventually 5 focus_on "$FORM3" 101 || fail "no focus in the common list"
  for word in alpha beta gamma; do xdotool type --delay 40 "$word"; xdotool key Return; sleep 0.3; done
  local l t r b
  read -r l t r b < <(driver rect "$FORM3" 401)
  xdotool mousemove $((l + 60)) $((t + 12)) click 1 sleep 0.3 key space End space sleep 0.3
  xdotool mousemove $((r - 20)) $((t + 42)) click 3
  driver wait "$MENU" 5000 || fail "right click opened no menu"
  read -r l t r b < <(driver rect "$FORM3")
  shot common "$l" "$t" 530 300
  xdotool key Escape
  exit_app
}

pic_version() {
  start StartX=6300 StartY=4500  # clear of the screen's edges
  no_notice
  driver close "$TODAY_MEMO" && driver close "$CAPTION"  # the window alone, on its owner's place
  driver command "$CAPTION" 0xC1F0 && driver wait "class:Mekurinote.FormVer" 10000 || fail "no version window"
  around version class:Mekurinote.FormVer
  exit_app
}

pic_operation_menu() {
  start StartX=300 StartY=825  # below the tray window
  no_notice
  xdotool mousemove 177 365 click 3  # on a day cell
  driver wait "$MENU" 5000 || fail "right click opened no menu"
  shot operation-menu 0 45 560 720
  xdotool key Escape
  exit_app
}

pic_tray_menu() {
  start StartX=6300 StartY=600
  tray_menu() { xdotool mousemove 12 32 click 3; driver wait "$MENU" 3000; }
  eventually 10 tray_menu || fail "the tray icon's right button opened no menu"
  shot tray-menu 0 0 260 240
  xdotool key Escape
  exit_app
}

pic_144dpi() {
  set_dpi 144
  start StartX=600 StartY=600
  open_list
  local l t r b
  read -r l t r b < <(driver rect "$CAPTION")
  shot 144dpi "$l" "$t" 920 760
  exit_app
  set_dpi 96
}

pic_message() {
  clock_at 08:59:20  # the lead covers a slow start
  new_app_folder "${HOLIDAYS[@]}" StartX=15000 StartY=600 EveryHour=0  # no time signal at 08:59:59
  # The settings file is in the system's code page.
  printf 'M01=09:00/%s\r\n' "朝会の資料を印刷する。会議室Ｂの予約も確認すること。午後は部内の定例ミーティングがあるので、議事録の担当を決めておく。" |
    iconv -f UTF-8 -t CP932 >> "$app/Mekurinote.ini"
  open_app memo
  no_notice
  driver wait class:Mekurinote.FormMsg 60000 || fail "no message at 09:00 (now $(date +%T) on the faked clock)"
  around message class:Mekurinote.FormMsg
  exit_app
}

# The window opens at 11:59:59; its chime text shows 0.8 s later, too soon to
# time a driver call: its X window is caught as it appears and grabbed in a loop.
pic_timesignal() {
  clock_at 11:59:20
  start StartX=15000 StartY=600
  no_notice
  xdotool mousemove 1279 1023
  local frames=build/screenshot-frames old xid="" i f last="" by=$((SECONDS + 60))
  mkdir -p "$frames"
  old=$(xdotool search --onlyvisible --class mekurinote)
  until [ -n "$xid" ]; do
    xid=$(xdotool search --onlyvisible --class mekurinote | grep -vxF "$old" | head -1) || true
    ((SECONDS < by)) || fail "no time-signal window by noon (now $(date +%T) on the faked clock)"
  done
  for i in $(seq 100 180); do xwd -id "$xid" -silent > "$frames/$i.xwd"; done
  # Distinct frames: the window bare, with the small chime text, growing, grown.
  for f in "$frames"/*.xwd; do
    if [ -n "$last" ] && cmp -s "$f" "$last"; then rm "$f"; else last=$f; fi
  done
  set -- "$frames"/*.xwd
  [ $# -ge 2 ] || fail "the chime text did not show within two seconds"
  png "xwd:$2" timesignal-before
  # Grown, the text blinks in colours from 2 s on, red first.
  f=$frames/after.xwd
  red() {
    xwd -id "$xid" -silent > "$f"
    [ "$(/usr/bin/convert "xwd:$f" -fuzz 10% -fill black +opaque red -format '%[fx:maxima.r > 0.5]' info:)" = 1 ]
  }
  eventually 10 red || fail "the chime text did not turn red"
  png "xwd:$f" timesignal-after
  echo "screenshot: docs/screenshot-timesignal-before.png docs/screenshot-timesignal-after.png"
  exit_app
}

[ $# -gt 0 ] || set -- main memo today-notice common version operation-menu tray-menu 144dpi message timesignal
wine_env_up
clock_at 10:18:30
for name; do "pic_${name//-/_}"; done
