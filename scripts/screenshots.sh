#!/usr/bin/env bash
# Walks the running setup and saves a screenshot of every step it reaches.
# Usage: screenshots.sh BUILD_DIR SETUP_EXE OUT_DIR (DISPLAY must name a running X server)
set -euo pipefail
build=$1 exe=$2 out=$3
mkdir -p "$out"
rm -f "$out"/*.png
remote() { "$build/wine-run" "$build/tests/e2e/wizard_remote.exe" "$@"; }

"$build/wine-run" "$exe" &
setup=$!
if ! remote wait-window; then
    echo "the setup window did not appear" >&2
    kill "$setup" 2>/dev/null || true
    exit 1
fi

shot() {  # shot NAME: the wizard window as it is now
    sleep 0.8
    local id
    id=$(xdotool search --name '^安装向导-Lumora$' | head -n 1)
    import -window "$id" "$out/$1.png"
    echo "$out/$1.png"
}

next=1601000a accept=1601001f
shot 01-welcome
remote click $next
shot 02-licence
remote click $accept
remote click $next
shot 03-destination
remote click $next
shot 04-ready

remote close
remote answer yes
wait "$setup" || true
