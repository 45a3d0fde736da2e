#!/usr/bin/env bash
# Takes a screenshot of the running main window under Wine in a private Xvfb:
# scripts/screenshot.sh OUT.png [YEAR MONTH]. The program runs from a copy of
# dist/ with a settings file that holds a few holiday rules, so the picture
# shows the grid's colours.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshot-main.png}
source scripts/wine-env.sh
export MEKURI_OWN_XVFB=1
wine_env_up
app=$(mktemp -d)
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null || true; wine_env_down; rm -rf "$app"' EXIT
cp -a dist/. "$app/"
printf '[Mekurinote]\r\nStartX=3000\r\nStartY=1500\r\nS01=01/01\r\nS02=01:2:2\r\nS03=02/11\r\nS04=09:3:2\r\nS05=09/23\r\nS06=10:2:2\r\nS07=11/03\r\nS08=11/23\r\n' > "$app/Mekurinote.ini"
"$WINE64" "$app/Mekurinote.exe" </dev/null >/dev/null 2>&1 &
pid=$!
"$WINE64" build/win/e2e_driver.exe wait "めくりノート" 20000 </dev/null
sleep 1.5
mkdir -p "$(dirname "$out")"
read -r l t r b < <("$WINE64" build/win/e2e_driver.exe rect "めくりノート" </dev/null | tr -d '\r')
xwd -root -display "$DISPLAY" -silent | /usr/bin/convert xwd:- -crop "$((r - l + 40))x$((b - t + 40))+$((l - 20))+$((t - 20))" +repage "$out"
echo "screenshot: $out"
