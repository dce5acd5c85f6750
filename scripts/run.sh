#!/usr/bin/env bash
# Builds the setup and runs it. With a display it opens the setup there; on a machine
# without one it walks the wizard on a private X server and saves a screenshot of every
# step into build/screenshots/.
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$repo/scripts/build.sh"
exe="$build/app/LumoraSetup.exe"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec "$build/wine-run" "$exe"
fi

trap stop_all EXIT
start_xvfb
bash "$repo/scripts/screenshots.sh" "$build" "$exe" "$build/screenshots"
