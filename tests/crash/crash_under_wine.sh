#!/usr/bin/env bash
# Kills the Windows build of the crash worker under Wine at random moments, so
# that the kills land in the Windows file layer (temporary file, rename over
# the old one), and checks the memo file after every kill with the native
# crash driver; then the race driver's concurrent and torn writes, under Wine.
# Runs inside a started Wine environment (wine_env_up).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
for f in build/native/crash_driver build/native/race_driver build/win/crash_worker.exe dist/QzlCmn.dll; do
  [ -f "$root/$f" ] || { echo "crash_under_wine: $f is not built" >&2; exit 1; }
done
# The worker loads the shipped cipher library from its own folder, as the program does.
program=$(mktemp -d "${TMPDIR:-/tmp}/mekuri-crash-program.XXXXXX")
trap 'rm -rf "$program"' EXIT
cp "$root/build/win/crash_worker.exe" "$root/dist/QzlCmn.dll" "$program/"
"$root/build/native/crash_driver" --kills 200 --wine -- "$WINE64" "$program/crash_worker.exe"
"$root/build/native/race_driver" --wine -- "$WINE64" "$program/crash_worker.exe"
