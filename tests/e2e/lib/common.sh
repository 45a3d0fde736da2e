# Shared by the end-to-end scripts: a fresh copy of dist/ as the program
# folder, the program started as a user would, and the outside driver.
# The caller (scripts/test.sh) has the display and the Wine server up.
set -euo pipefail
E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
source "$E2E_ROOT/scripts/wine-env.sh"
DRIVER="$E2E_ROOT/build/win/e2e_driver.exe"
CAPTION="めくりノート"
APP_PIDS=()

new_app_folder() {
  local dir
  dir=$(mktemp -d "${TMPDIR:-/tmp}/mekuri-e2e.XXXXXX")
  cp -a "$E2E_ROOT/dist/." "$dir/"
  echo "$dir"
}

# Starts the program in the background; its pid goes to APP_PIDS.
start_app() {
  "$WINE64" "$1/Mekurinote.exe" </dev/null >/dev/null 2>&1 &
  APP_PIDS+=($!)
}

driver() { "$WINE64" "$DRIVER" "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

# Reports a failure; with MEKURI_SHOT_DIR set, the screen at that moment too.
fail() {
  echo "  FAILED: $*" >&2
  if [ -n "${MEKURI_SHOT_DIR:-}" ]; then
    xwd -root -display "$DISPLAY" -silent | /usr/bin/convert xwd:- "$MEKURI_SHOT_DIR/failure-$(basename "$0" .sh).png" || true
  fi
  exit 1
}

# Keeps the screen as a test artefact when MEKURI_SHOT_DIR is set.
shot() {
  [ -n "${MEKURI_SHOT_DIR:-}" ] || return 0
  mkdir -p "$MEKURI_SHOT_DIR"
  xwd -root -display "$DISPLAY" -silent | /usr/bin/convert xwd:- "$MEKURI_SHOT_DIR/$1" || true
}

# Polls a command for up to $1 seconds.
eventually() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.2
  done
}

# Waits up to 30 s for the program started as APP_PIDS[$1] to end; its exit status.
wait_app() {
  local pid=${APP_PIDS[$1]} end=$((SECONDS + 30))
  while kill -0 "$pid" 2>/dev/null; do
    [ $SECONDS -lt $end ] || { echo "  program $pid did not end" >&2; return 1; }
    sleep 0.2
  done
  wait "$pid"
}

# Ends the program the way its exit command does.
exit_app() { driver command "$CAPTION" 0xCFFF; }

cleanup_apps() {
  local pid
  for pid in "${APP_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${APP_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup_apps EXIT
