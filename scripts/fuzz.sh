#!/usr/bin/env bash
# Fuzzes the portable core with libFuzzer (clang, address and undefined-
# behaviour sanitizers). fuzz/ holds the engine's target (fuzz_profile.cpp),
# the small parsers' targets (all in fuzz_parsers.cpp) and a seed corpus per
# target in fuzz/corpus/<target>/.
#
#   scripts/fuzz.sh                   build, replay each seed corpus, then fuzz
#                                     each target for FUZZ_SHORT_SECONDS (10)
#   scripts/fuzz.sh --long SECONDS    a longer run: SECONDS in all, shared
#                                     evenly by the targets (make fuzz
#                                     FUZZ_SECONDS=3600 does this)
#   scripts/fuzz.sh [--long S] TARGET...   only these targets
#
# Targets: profile decipher number holidays messages. The short pass
# starts from the seeds alone, so that its time does not depend on what ran
# here before; long runs keep what they find in build/fuzz/corpus/<target>/
# and start from it next time. Nothing goes into fuzz/corpus/ by itself. A crash
# fails the run and is kept as build/fuzz/artifacts/<target>/crash-*; replay
# it with build/fuzz/fuzz_<target> FILE. Once the fault is fixed, the input
# belongs in fuzz/corpus/<target>/ as a regression.
set -uo pipefail
cd "$(dirname "$0")/.."

BUILD=build/fuzz
all_targets=(profile decipher number holidays messages)
long=
targets=()
while (($#)); do
  case "$1" in
    --long)
      long=${2:-}
      [[ "$long" =~ ^[0-9]+$ ]] || { echo "fuzz: --long needs a number of seconds" >&2; exit 2; }
      shift 2 ;;
    -h|--help) sed -n '2,/^[^#]/{/^#/p}' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done
((${#targets[@]})) || targets=("${all_targets[@]}")
for t in "${targets[@]}"; do
  [[ " ${all_targets[*]} " == *" $t "* ]] || { echo "fuzz: no target '$t' (${all_targets[*]})" >&2; exit 2; }
done
if [ -n "$long" ]; then
  each=$((long / ${#targets[@]}))
  ((each > 0)) || each=1
else
  each=${FUZZ_SHORT_SECONDS:-10}
fi

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is missing; run scripts/setup.sh (packages clang, libclang-rt-14-dev)" >&2
  exit 2
fi
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S fuzz -B "$BUILD" -DCMAKE_CXX_COMPILER=clang++ >/dev/null || exit 1
fi
if ! cmake --build "$BUILD" -j "${JOBS:-$(nproc)}" >"$BUILD/build.log" 2>&1; then
  tail -n 30 "$BUILD/build.log"
  echo "fuzz: the build failed" >&2
  exit 1
fi

# The profile target keeps its files in /dev/shm/mekuri-fuzz-<pid>; a run
# that crashed leaves its folder behind.
for d in /dev/shm/mekuri-fuzz-*; do
  [ -d "$d" ] && ! kill -0 "${d##*-}" 2>/dev/null && rm -rf "$d"
done

mkdir -p "$BUILD/logs"
passed=0
failed=0
total_runs=0
for t in "${targets[@]}"; do
  bin="$BUILD/fuzz_$t"
  seeds="fuzz/corpus/$t"
  if [ -n "$long" ]; then
    work="$BUILD/corpus/$t"
  else
    work="$BUILD/short/$t"
    rm -rf "$work"
  fi
  artifacts="$BUILD/artifacts/$t"
  log="$BUILD/logs/$t.log"
  mkdir -p "$work" "$artifacts" "$seeds"
  common=(-artifact_prefix="$artifacts/" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1)

  # The seeds first: each is a known input, a regression among them.
  if ! "$bin" "${common[@]}" -runs=0 "$seeds" >"$log" 2>&1; then
    echo "FAIL $t: a seed input fails"
    grep -m1 -A3 -E 'check failed|runtime error|ERROR: (AddressSanitizer|libFuzzer)' "$log"
    failed=$((failed + 1))
    continue
  fi

  before=$(find "$work" -type f | wc -l)
  "$bin" "${common[@]}" -max_total_time="$each" "$work" "$seeds" >>"$log" 2>&1
  rc=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$')
  runs=${runs:-0}
  total_runs=$((total_runs + runs))
  found=$(($(find "$work" -type f | wc -l) - before))
  if [ "$rc" -eq 0 ]; then
    echo "ok   $t: ${each}s, $runs runs, $found new inputs"
    passed=$((passed + 1))
  else
    echo "FAIL $t: ${each}s, $runs runs; $(ls -t "$artifacts" | head -n 1)"
    grep -m1 -A3 -E 'check failed|runtime error|ERROR: (AddressSanitizer|libFuzzer)' "$log"
    failed=$((failed + 1))
  fi
done

echo "fuzz: $total_runs runs; logs in $BUILD/logs, crashes in $BUILD/artifacts"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
