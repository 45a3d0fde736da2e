#!/usr/bin/env bash
# The native crash driver against the Windows worker, so kills land in Wine's file layer (after wine_env_up).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
for f in build/native/crash_driver build/win/crash_worker.exe dist/QzlCmn.dll; do
  [ -f "$root/$f" ] || { echo "crash_under_wine: $f is not built" >&2; exit 1; }
done
program=$(mktemp -d "${TMPDIR:-/tmp}/mekuri-crash-program.XXXXXX")  # the worker loads the DLL beside it
trap 'rm -rf "$program"' EXIT
cp "$root/build/win/crash_worker.exe" "$root/dist/QzlCmn.dll" "$program/"
"$root/build/native/crash_driver" --kills 200 --wine -- "$WINE64" "$program/crash_worker.exe"
"$root/build/native/crash_driver" --race --wine -- "$WINE64" "$program/crash_worker.exe"
