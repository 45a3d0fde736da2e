#!/usr/bin/env bash
# Every benchmark in one run under Wine, summed up in one table: each figure
# beside the reference it is read against, both measured in this run, and
# their ratio. The full output of each part goes to BENCH_LOG. It measures
# and prints; no time makes it fail.
#   BENCH_BUILD          the Windows build with the benchmarks (build/win)
#   BENCH_PARTS          the parts to run (startup window memo profile idle)
#   BENCH_LOG            the detailed output (BENCH_BUILD/bench-details.txt)
#   IDLE_SECONDS         how long each program idles while its CPU is counted (60)
#   BENCH_STARTUP_RUNS   starts of each program for the start-up medians (7)
#   BENCH_WINDOW_ROUNDS  rounds of the in-process window figures (8)
set -uo pipefail
cd "$(dirname "$0")/.."
build=${BENCH_BUILD:-build/win}
parts=" ${BENCH_PARTS:-startup window memo profile idle} "
log=${BENCH_LOG:-$build/bench-details.txt}
idle_seconds=${IDLE_SECONDS:-60}
mkdir -p "$(dirname "$log")"
: >"$log"
rows=$(mktemp)
ratios=$(mktemp)
app=
began=$SECONDS
# The sources measured (as the run starts): figures from edits not yet
# committed say so.
source_state=$(git rev-parse --short HEAD 2>/dev/null || echo "no git")
if [ -n "$(git status --porcelain -- src cipher 2>/dev/null)" ]; then source_state+=" + uncommitted source changes"; fi

source scripts/wine-env.sh
export MEKURI_OWN_XVFB=1
wine_env_up
cleanup() {
  [ -n "${idle_pid:-}" ] && kill "$idle_pid" 2>/dev/null && wait "$idle_pid" 2>/dev/null
  wine_env_down
  [ -n "$app" ] && rm -rf "$app"
  rm -f "$rows" "$ratios"
}
trap cleanup EXIT

say() { echo "bench: $*" >&2; }
wanted() { [[ $parts == *" $1 "* ]]; }

# Runs one benchmark exe: its result lines go to the table, its "ratio:"
# lines under it, and the rest to the log.
run_exe() {
  local exe=$build/$1
  if [ ! -f "$exe" ]; then
    say "$exe is missing; build it first (make bench)"
    return
  fi
  echo "===== $1" >>"$log"
  "$WINE64" "$exe" "${@:2}" </dev/null 2>>"$log" | tr -d '\r' | while IFS= read -r line; do
    case $line in
      @row\|*) echo "${line#@row|}" >>"$rows" ;;
      ratio:*) echo "$line" | tee -a "$log" >>"$ratios" ;;
      *) echo "$line" >>"$log" ;;
    esac
  done
}

# CPU time of a process in nanoseconds, all its threads (scheduler statistics).
cpu_ns() {
  local total=0 t f
  for f in /proc/"$1"/task/*/schedstat; do
    read -r t _ <"$f" 2>/dev/null && total=$((total + t))
  done
  echo "$total"
}

# The Wine server of this prefix: it runs in a folder named after the
# prefix's device and inode; other prefixes have servers of their own.
own_wineserver() {
  local dir p
  dir=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
  for p in $(pgrep wineserver); do
    [[ $(readlink "/proc/$p/cwd" 2>/dev/null) == */"$dir" ]] && { echo "$p"; return; }
  done
}

# Starts a program, lets it settle, then counts the CPU it, the Wine server
# and the X server use while it idles alone for idle_seconds. Prints
# "process_ns server_ns x_ns hwm_kb anon_kb crossed_hour".
idle_once() {
  local srv=$1 exe=$2 a0 s0 x0 a1 s1 x1 h0 h1 hwm anon
  "$WINE64" "$exe" </dev/null >/dev/null 2>&1 &
  idle_pid=$!
  sleep 8
  h0=$(date +%H)
  a0=$(cpu_ns "$idle_pid") s0=$(cpu_ns "$srv") x0=$(cpu_ns "$_OWN_XVFB_PID")
  sleep "$idle_seconds"
  a1=$(cpu_ns "$idle_pid") s1=$(cpu_ns "$srv") x1=$(cpu_ns "$_OWN_XVFB_PID")
  h1=$(date -d "+5 seconds" +%H)
  hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$idle_pid/status")
  anon=$(awk '/^RssAnon:/ { print $2 }' "/proc/$idle_pid/status")
  kill "$idle_pid" 2>/dev/null
  wait "$idle_pid" 2>/dev/null
  idle_pid=
  echo "$((a1 - a0)) $((s1 - s0)) $((x1 - x0)) ${hwm:-0} ${anon:-0} $([ "$h0" = "$h1" ] && echo 0 || echo 1)"
}

idle_part() {
  local srv prog plain clock note
  srv=$(own_wineserver)
  app=$(mktemp -d)
  # The shipped files only: dist\ may hold the settings and memos of a run.
  cp -a dist/*.exe dist/*.dll dist/*.wav dist/*.txt "$app/"
  run_exe startup_bench.exe prepare "Z:$(echo "$app" | tr / '\\')"
  echo "===== idle, ${idle_seconds} s each" >>"$log"
  read -r -a prog <<<"$(idle_once "$srv" "$app/Mekurinote.exe")"
  read -r -a plain <<<"$(idle_once "$srv" "$build/idle_minimal_window.exe")"
  read -r -a clock <<<"$(idle_once "$srv" "$build/idle_clock_window.exe")"
  echo "Mekurinote.exe with settings + 36,500 memos: process ${prog[0]} ns, wineserver ${prog[1]} ns, Xvfb ${prog[2]} ns;" \
       "VmHWM ${prog[3]} kB, RssAnon ${prog[4]} kB" >>"$log"
  echo "plain window: process ${plain[0]} ns, wineserver ${plain[1]} ns, Xvfb ${plain[2]} ns;" \
       "VmHWM ${plain[3]} kB, RssAnon ${plain[4]} kB" >>"$log"
  echo "seconds-clock window: process ${clock[0]} ns, wineserver ${clock[1]} ns, Xvfb ${clock[2]} ns;" \
       "VmHWM ${clock[3]} kB, RssAnon ${clock[4]} kB" >>"$log"
  note=""
  [ "${prog[5]}" = 1 ] && note="a full hour passed: the chime ran"
  secs() { awk -v n="$1" 'BEGIN { print n / 1e9 }'; }
  # A plain window waiting in GetMessage uses next to nothing, so each
  # process is read against the period itself, one core's worth.
  printf 'idle|CPU of Mekurinote.exe itself|%s|cpu|one core for the %s s|%s|%s\n' \
    "$(secs "${prog[0]}")" "$idle_seconds" "$idle_seconds" "$note" >>"$rows"
  printf 'idle|CPU of the plain Win32 window itself|%s|cpu|one core for the %s s|%s|\n' \
    "$(secs "${plain[0]}")" "$idle_seconds" "$idle_seconds" >>"$rows"
  printf 'idle|CPU of Mekurinote.exe + Wine server + X server|%s|cpu|plain Win32 window, the same|%s|%s\n' \
    "$(secs $((prog[0] + prog[1] + prog[2])))" "$(secs $((plain[0] + plain[1] + plain[2])))" "$note" >>"$rows"
  # The least a window that shows the time to the second costs: the floor
  # of what the program must do while it idles.
  printf 'idle|CPU of Mekurinote.exe itself|%s|cpu|seconds-clock window, the same|%s|%s\n' \
    "$(secs "${prog[0]}")" "$(secs "${clock[0]}")" "$note" >>"$rows"
  printf 'idle|CPU of Mekurinote.exe + Wine server + X server|%s|cpu|seconds-clock window, the same|%s|%s\n' \
    "$(secs $((prog[0] + prog[1] + prog[2])))" "$(secs $((clock[0] + clock[1] + clock[2])))" "$note" >>"$rows"
}

if wanted startup; then say "start-up, ${BENCH_STARTUP_RUNS:-7} starts of each program"; run_exe startup_bench.exe; fi
if wanted window; then say "the main window in process, and the common-information window"; run_exe window_bench.exe; fi
if wanted memo; then say "the memo store against kernel32"; run_exe memo_bench.exe; fi
if wanted profile; then say "the profile engine against kernel32"; run_exe profile_bench.exe; fi
if wanted idle; then say "idle CPU, ${idle_seconds} s for each program"; idle_part; fi

# The table: groups in a fixed order, ratio = figure / reference.
cpu_model=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
wine_version=$("$WINE64" --version 2>/dev/null)
debian=$(cat /etc/debian_version 2>/dev/null)
echo
echo "Mekurinote benchmarks under Wine, $(date '+%Y-%m-%d %H:%M'), sources $source_state"
echo "Debian $debian, $(nproc) cores ($cpu_model), $wine_version"
echo "Each figure beside its reference from the same run; ratio = figure / reference. Details: $log"
awk -F'|' -v runs="${BENCH_STARTUP_RUNS:-7}" -v rounds="${BENCH_WINDOW_ROUNDS:-8}" -v idle="$idle_seconds" '
  function human(v, unit) {
    if (unit == "us") {
      if (v < 1000) return sprintf("%.0f us", v)
      if (v < 10000) return sprintf("%.2f ms", v / 1e3)
      if (v < 100000) return sprintf("%.1f ms", v / 1e3)
      if (v < 1e6) return sprintf("%.0f ms", v / 1e3)
      if (v < 1e8) return sprintf("%.2f s", v / 1e6)
      return sprintf("%.0f s", v / 1e6)
    }
    if (unit == "MB") return sprintf("%.1f MB", v)
    if (unit == "cpu") return v >= 10 ? sprintf("%.0f s", v) : sprintf("%.3f s", v)
    return sprintf("%d", v)
  }
  function ratio(a, b) {
    if (b <= 0) return "-"
    if (a == 0) return "0"
    r = a / b
    if (r < 0.1 && r > 0) return sprintf("1/%.0f", 1 / r)
    if (r < 10) return sprintf("%.2fx", r)
    return sprintf("%.0fx", r)
  }
  BEGIN {
    split("startup window common memo profile idle memory", order, " ")
    title["startup"] = "Start-up to an idle shown main window: CreateProcess from a fresh folder, median of " runs
    title["window"] = "Main window in this process, until painted again: medians of " rounds " rounds"
    title["common"] = "Closing the common-information window with 100 items, memo file of 36,500 memos"
    title["memo"] = "Memo store, no window (memo_bench)"
    title["profile"] = "Profile engine (profile_bench)"
    title["idle"] = "Idle for " idle " s after start-up, each program alone (the program with settings + 36,500 memos)"
    title["memory"] = "Memory at the idle start-up moment (median of " runs ")"
  }
  { n[$1]++; line[$1, n[$1]] = $0 }
  END {
    printf "\n%-56s %10s   %-31s %10s %8s\n", "", "figure", "reference", "", "ratio"
    for (g = 1; g <= 7; g++) {
      k = order[g]
      if (!n[k]) continue
      printf "%s\n", title[k]
      for (i = 1; i <= n[k]; i++) {
        split(line[k, i], f, "|")
        printf "  %-54s %10s   %-31s %10s %8s%s\n", f[2], human(f[3], f[4]), f[5], human(f[6], f[4]),
               ratio(f[3], f[6]), f[7] != "" ? "  (" f[7] ")" : ""
      }
    }
  }' "$rows"

echo
# The goals, one line each: the figure over its reference, from this run.
awk -F'|' '
  function goal(name) { if ($6 > 0) printf "ratio: %s = %.2f\n", name, $3 / $6 }
  $1 == "startup" && $2 ~ /first run/ { goal("start-up, first run / plain window") }
  $1 == "startup" && $2 ~ /36,500 memos/ { goal("start-up, 36,500 memos / plain window") }
  $1 == "idle" && $2 == "CPU of Mekurinote.exe itself" && $5 ~ /seconds-clock/ { goal("idle CPU / seconds-clock window") }
  $1 == "idle" && $2 ~ /Wine server/ && $5 ~ /seconds-clock/ { goal("idle CPU with Wine and X servers / seconds-clock window") }
' "$rows"
if [ -s "$ratios" ]; then cat "$ratios"; fi
echo
say "done in $((SECONDS - began)) s"
