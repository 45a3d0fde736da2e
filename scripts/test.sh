#!/usr/bin/env bash
# Runs every test tier: the core natively (plain and under sanitizers), the
# window tests under Wine, and the end-to-end runs of dist/ under Wine.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
export MEKURI_OWN_XVFB=1
failed=0
step() { echo; echo "=== $1"; }

step "core tests (native)"
ctest --test-dir build/native --output-on-failure -j "$(nproc)" | tail -n 15 || failed=1
[ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
grep -h "kills in" build/native/Testing/Temporary/LastTest.log 2>/dev/null
step "core tests (address and undefined-behaviour sanitizers)"
ctest --test-dir build/native-san --output-on-failure -j "$(nproc)" | tail -n 5
[ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
grep -h "kills in" build/native-san/Testing/Temporary/LastTest.log 2>/dev/null
step "fuzzing (short bounded pass)"
bash scripts/fuzz.sh </dev/null | tail -n 12
[ "${PIPESTATUS[0]}" -eq 0 ] || failed=1

wine_env_up
trap wine_env_down EXIT
step "window tests (Wine, display $DISPLAY)"
ctest --test-dir build/win --output-on-failure </dev/null | tail -n 40
[ "${PIPESTATUS[0]}" -eq 0 ] || failed=1

step "crash safety (Wine: the worker killed at random moments while it saves)"
bash tests/crash/crash_under_wine.sh </dev/null || failed=1

step "end-to-end runs (Wine)"
e2e_pass=0; e2e_fail=0
for t in tests/e2e/*.sh; do
  [ -e "$t" ] || continue
  if bash "$t" </dev/null; then echo "PASS $(basename "$t")"; e2e_pass=$((e2e_pass+1));
  else echo "FAIL $(basename "$t")"; e2e_fail=$((e2e_fail+1)); failed=1; fi
done
echo "end-to-end: $e2e_pass passed, $e2e_fail failed"

echo
if [ "$failed" -ne 0 ]; then echo "SOME TESTS FAILED"; exit 1; fi
echo "ALL TESTS PASSED"
