#!/usr/bin/env bash
# Kills the Windows build of the crash worker under Wine at random moments, so
# that the kills land in the Windows file layer (temporary file, rename over
# the old one), and checks the memo file after every kill with the native
# crash driver. Runs inside a started Wine environment (wine_env_up).
#   MEKURI_CRASH_KILLS   kills (200)
#   MEKURI_NATIVE_BUILD  build folder of crash_driver (build/native)
#   MEKURI_WIN_BUILD     build folder of crash_worker.exe (build/win)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
driver=${MEKURI_NATIVE_BUILD:-$root/build/native}/crash_driver
worker=${MEKURI_WIN_BUILD:-$root/build/win}/crash_worker.exe
for f in "$driver" "$worker" "$root/dist/QzlCmn.dll"; do
  [ -f "$f" ] || { echo "crash_under_wine: $f is not built" >&2; exit 1; }
done
# The worker loads the shipped cipher library from its own folder, as the
# program does.
program=$(mktemp -d "${TMPDIR:-/tmp}/mekuri-crash-program.XXXXXX")
trap 'rm -rf "$program"' EXIT
cp "$worker" "$root/dist/QzlCmn.dll" "$program/"
"$driver" --kills "${MEKURI_CRASH_KILLS:-200}" --wine -- "$WINE64" "$program/crash_worker.exe"
# Two writers at once, and writes cut off while they rewrite a held file in place.
"$(dirname "$driver")/race_driver" --wine -- "$WINE64" "$program/crash_worker.exe"
