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
# Starts the program, or the given Windows command, in the background; its errors go to $APP_LOG.
start_app() { "$WINE64" "${@:-$app/Mekurinote.exe}" >/dev/null 2>"${APP_LOG:-/dev/null}" & APP_PIDS+=($!); }
# Starts the program, waits for its main window (long on a loaded machine) and with "memo" for today's memo.
open_app() {
  start_app
  driver wait "$CAPTION" 60000 || fail "no main window ($(ended "${APP_PIDS[-1]}" && echo ended || echo running))"
  [ "${1:-}" != memo ] || driver wait "$TODAY_MEMO" 10000 || fail "today's memo window did not open at start-up"
}

driver() { "$WINE64" "$DRIVER" "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
gone() { ! driver wait "$1"; }
open_list() { driver command "$CAPTION" 0xC102 && driver wait "$FORM3" 10000 || fail "no common list"; }
count_is() { [ "$(driver count "$1")" = "$2" ]; }
text_is() { [ "$(driver text "$1" "$2")" = "$3" ]; }
centre() { local l t r b; read -r l t r b < <(driver rect "$@") && echo "$(((l + r) / 2)) $(((t + b) / 2))"; }
click_at() { local at; at=$(centre "$1" "$2") && xdotool mousemove $at click --repeat "${3:-1}" --delay 80 1; }
focus_on() { click_at "$1" "$2"; sleep 0.5; driver focused "$1" "$2"; }
type_into() { eventually 5 focus_on "$1" "$2" || fail "no focus in $1"; xdotool type --delay 30 "$3"; sleep 0.5; }

fail() { echo "  FAILED: $*" >&2; exit 1; }
eventually() { local by=$((SECONDS + $1)); shift; until "$@"; do ((SECONDS < by)) || return 1; sleep 0.2; done; }
ended() { ! kill -0 "$1" 2>/dev/null; }
wait_app() { eventually 30 ended "${APP_PIDS[-1]}" && wait "${APP_PIDS[-1]}"; }
# Ends the program by its exit command (on window $1, the main one by default); it writes its place.
exit_app() {
  driver command "${1:-$CAPTION}" 0xCFFF
  wait_app && grep -q '^StartX=[0-9]' "$app/Mekurinote.ini" || fail "no clean end writing the place"
}

cleanup() { kill "${APP_PIDS[@]}" || true; wait "${APP_PIDS[@]}" || true; rm -rf "${APP_DIRS[@]}"; } 2>/dev/null
trap cleanup EXIT
