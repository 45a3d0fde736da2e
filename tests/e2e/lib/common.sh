# Shared by the end-to-end scripts: a fresh copy of dist/ as the program
# folder, the program started as a user would, and the outside driver.
# The caller (scripts/test.sh) has the display and the Wine server up.
set -euo pipefail
E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
source "$E2E_ROOT/scripts/wine-env.sh"
DRIVER="$E2E_ROOT/build/win/e2e_driver.exe"
CAPTION="めくりノート"
TODAY_MEMO="Memo - $(date +%Y/%m/%d)"
APP_PIDS=() APP_DIRS=()

# A copy of dist/ in $app, under a name with a blank and Japanese in it as
# users' folders have; the arguments are lines of its settings file.
new_app_folder() {
  app=$(mktemp -d "${TMPDIR:-/tmp}/めくり e2e.XXXXXX")
  APP_DIRS+=("$app")
  cp -a "$E2E_ROOT/dist/." "$app/"
  [ $# -eq 0 ] || { printf '[Mekurinote]\r\n'; printf '%s\r\n' "$@"; } > "$app/Mekurinote.ini"
}

# Starts the program in $app in the background; its pid goes to APP_PIDS.
start_app() { "$WINE64" "$app/Mekurinote.exe" </dev/null >/dev/null 2>&1 & APP_PIDS+=($!); }
# Starts it and waits for the main window; a loaded machine may take long.
open_app() {
  start_app
  driver wait "$CAPTION" 60000 || fail "main window did not open ($(ended "${APP_PIDS[-1]}" && echo ended || echo running))"
}

driver() { "$WINE64" "$DRIVER" "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
gone() { ! driver wait "$1"; }
count_is() { [ "$(driver count "$1")" = "$2" ]; }
text_is() { [ "$(driver text "$1" "$2")" = "$3" ]; }
# The screen "x y" of the centre of a window or of its child.
centre() { local l t r b; read -r l t r b < <(driver rect "$@") && echo "$(((l + r) / 2)) $(((t + b) / 2))"; }
click_at() { local x y; read -r x y < <(centre "$@") && xdotool mousemove "$x" "$y" click 1; }

fail() { echo "  FAILED: $*" >&2; exit 1; }

# Polls a command for up to $1 seconds.
eventually() {
  local end=$((SECONDS + $1)); shift
  until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.2; done
}
ended() { ! kill -0 "$1" 2>/dev/null; }
# Waits up to 30 s for the program started as APP_PIDS[$1] (the last by default) to end; its exit status.
wait_app() {
  local pid=${APP_PIDS[${1:-${#APP_PIDS[@]} - 1}]}
  eventually 30 ended "$pid" || { echo "  program $pid did not end" >&2; return 1; }
  wait "$pid"
}
# Ends the program the way its exit command does; fails unless it ends cleanly.
exit_app() { driver command "$CAPTION" 0xCFFF; wait_app || fail "program did not end cleanly"; }

cleanup() {
  kill "${APP_PIDS[@]}" 2>/dev/null || true
  wait "${APP_PIDS[@]}" 2>/dev/null || true
  rm -rf "${APP_DIRS[@]}"
}
trap cleanup EXIT
