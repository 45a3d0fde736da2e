#!/usr/bin/env bash
# Starts dist/Mekurinote.exe under Wine. With a display, its windows open
# there; without one, it runs in an Xvfb of its own, a screenshot is saved
# once the main window is up, and it keeps running until interrupted.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
headless=0
if [ -z "${DISPLAY:-}" ]; then headless=1; fi
wine_env_up
trap wine_env_down EXIT

"$WINE64" dist/Mekurinote.exe </dev/null &
app=$!
if [ "$headless" = 1 ]; then
  shot=build/screenshots/run-main.png
  mkdir -p "$(dirname "$shot")"
  sleep 3
  xwd -root -display "$DISPLAY" -silent | /usr/bin/convert xwd:- "$shot"
  echo "Running headless on display $DISPLAY; screenshot saved to $shot. Press Ctrl+C to stop."
fi
wait "$app"
