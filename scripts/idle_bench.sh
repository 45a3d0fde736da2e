#!/usr/bin/env bash
# Idle cost of the running program, with its five main-window timers, against
# a plain window with no timers: CPU seconds each process uses while both idle
# side by side under Wine for IDLE_SECONDS (300 by default). Prints; never fails.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
export MEKURI_OWN_XVFB=1
seconds=${IDLE_SECONDS:-300}
wine_env_up
app=$(mktemp -d)
cp -a dist/. "$app/"
cleanup() { kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; wine_env_down; rm -rf "$app"; }
pids=()
trap cleanup EXIT

cpu() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }  # utime + stime in clock ticks
server_pid() { pgrep -f "wineserver" | head -n 1; }

"$WINE64" "$app/Mekurinote.exe" </dev/null >/dev/null 2>&1 &
pids+=($!)
"$WINE64" build/win/idle_minimal_window.exe </dev/null >/dev/null 2>&1 &
pids+=($!)
sleep 8  # both are up and past their start-up work
hz=$(getconf CLK_TCK)
srv=$(server_pid)
a0=$(cpu "${pids[0]}") b0=$(cpu "${pids[1]}") s0=$(cpu "$srv")
sleep "$seconds"
a1=$(cpu "${pids[0]}") b1=$(cpu "${pids[1]}") s1=$(cpu "$srv")
awk -v a=$((a1 - a0)) -v b=$((b1 - b0)) -v s=$((s1 - s0)) -v hz="$hz" -v secs="$seconds" 'BEGIN {
  printf "idle for %d s under Wine (CPU seconds used)\n", secs
  printf "  Mekurinote.exe (5 timers)     %8.2f s  (%.3f%% of one core)\n", a / hz, 100 * a / hz / secs
  printf "  plain window, no timers       %8.2f s  (%.3f%% of one core)\n", b / hz, 100 * b / hz / secs
  printf "  wineserver, for both          %8.2f s\n", s / hz
  printf "  difference                    %8.2f s per %d s\n", (a - b) / hz, secs
}'
