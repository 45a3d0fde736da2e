#!/usr/bin/env bash
# Runs the benchmarks under Wine: the profile engine, then the memo store, each
# against the platform's GetPrivateProfileStringA / WritePrivateProfileStringA.
# They only measure and print. BENCH_EXE and MEMO_BENCH_EXE pick other builds;
# the memo benchmark finds QzlCmn.dll in dist/ (or in MEKURI_DIST).
set -uo pipefail
cd "$(dirname "$0")/.."
BENCH_EXE=${BENCH_EXE:-build/win/profile_bench.exe}
MEMO_BENCH_EXE=${MEMO_BENCH_EXE:-build/win/memo_bench.exe}
if [ ! -f "$BENCH_EXE" ]; then
  echo "bench: $BENCH_EXE is missing; build it first (make bench)" >&2
  exit 1
fi
source scripts/wine-env.sh
export MEKURI_OWN_XVFB=1
wine_env_up
trap wine_env_down EXIT
"$WINE64" "$BENCH_EXE" </dev/null
if [ -f "$MEMO_BENCH_EXE" ]; then
  echo
  "$WINE64" "$MEMO_BENCH_EXE" </dev/null
else
  echo "bench: $MEMO_BENCH_EXE is missing; build it first (make bench)" >&2
fi
