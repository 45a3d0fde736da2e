#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's settings; CTest uses it
# as the emulator of the cross build. The caller provides DISPLAY and the server.
source "$(dirname "$0")/wine-env.sh"
exec "$WINE64" "$@"
