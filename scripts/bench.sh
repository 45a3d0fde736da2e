#!/usr/bin/env bash
# Runs the profile engine benchmark under Wine: our engine against the
# platform's GetPrivateProfileStringA / WritePrivateProfileStringA. It only
# measures and prints. BENCH_EXE picks another build of the benchmark.
set -uo pipefail
cd "$(dirname "$0")/.."
BENCH_EXE=${BENCH_EXE:-build/win/profile_bench.exe}
if [ ! -f "$BENCH_EXE" ]; then
  echo "bench: $BENCH_EXE is missing; build it first (make bench)" >&2
  exit 1
fi
source scripts/wine-env.sh
export MEKURI_OWN_XVFB=1
wine_env_up
trap wine_env_down EXIT
"$WINE64" "$BENCH_EXE" </dev/null
