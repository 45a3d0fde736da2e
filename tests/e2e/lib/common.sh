# Shared by the end-to-end scripts; the caller (scripts/test.sh) has the display and the Wine server up.
set -euo pipefail
E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
source "$E2E_ROOT/scripts/wine-env.sh"
DRIVER="$E2E_ROOT/build/win/e2e_driver.exe"
CAPTION="めくりノート" FORM3="class:Mekurinote.Form3"
TODAY_MEMO="Memo - $(date +%Y/%m/%d)"
APP_PIDS=() APP_DIRS=()

# A copy of dist/ in $app, named with a blank and Japanese as users' folders are; arguments are settings lines.
new_app_folder() {
  app=$(mktemp -d "${TMPDIR:-/tmp}/めくり e2e.XXXXXX") dat="$app/Mekurinote_$(whoami).dat"
  APP_DIRS+=("$app")
  cp -a "$E2E_ROOT/dist/." "$app/"
  [ $# -eq 0 ] || { printf '[Mekurinote]\r\n'; printf '%s\r\n' "$@"; } > "$app/Mekurinote.ini"
}

quiet() { "$@" </dev/null >/dev/null 2>&1; }
start_app() { "$WINE64" "$app/Mekurinote.exe" </dev/null >/dev/null 2>&1 & APP_PIDS+=($!); }
# Starts the program, waits for its main window (long on a loaded machine) and with "memo" for today's memo.
open_app() {
  start_app
  driver wait "$CAPTION" 60000 || fail "no main window ($(ended "${APP_PIDS[-1]}" && echo ended || echo running))"
  [ "${1:-}" != memo ] || driver wait "$TODAY_MEMO" 10000 || fail "today's memo window did not open at start-up"
}

driver() { "$WINE64" "$DRIVER" "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
gone() { ! driver wait "$1"; }
count_is() { [ "$(driver count "$1")" = "$2" ]; }
text_is() { [ "$(driver text "$1" "$2")" = "$3" ]; }
# The screen "x y" of the centre of a window or of its child.
centre() { local l t r b; read -r l t r b < <(driver rect "$@") && echo "$(((l + r) / 2)) $(((t + b) / 2))"; }
click_at() { local x y; read -r x y < <(centre "$@") && xdotool mousemove "$x" "$y" click 1; }
focus_on() { click_at "$1" "$2"; sleep 0.5; driver focused "$1" "$2"; }
type_into() { eventually 5 focus_on "$1" "$2" || fail "no keyboard in $1"; xdotool type --delay 30 "$3"; sleep 0.5; }

fail() { echo "  FAILED: $*" >&2; exit 1; }
# Polls a command for up to $1 seconds.
eventually() { local end=$((SECONDS + $1)); shift; until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.2; done; }
ended() { ! kill -0 "$1" 2>/dev/null; }
# Waits up to 30 s for the program started as APP_PIDS[$1] (the last by default) to end; its exit status.
wait_app() {
  local pid=${APP_PIDS[${1:-${#APP_PIDS[@]} - 1}]}
  eventually 30 ended "$pid" || { echo "  program $pid did not end" >&2; return 1; }
  wait "$pid"
}
# Ends the program by its exit command (on window W, the main one by default); fails unless it ends cleanly.
exit_app() { driver command "${1:-$CAPTION}" 0xCFFF; wait_app || fail "program did not end cleanly"; }

cleanup() { kill "${APP_PIDS[@]}" || true; wait "${APP_PIDS[@]}" || true; rm -rf "${APP_DIRS[@]}"; } 2>/dev/null
trap cleanup EXIT
