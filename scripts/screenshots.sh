#!/usr/bin/env bash
# Walks the running setup and saves a screenshot of every step it reaches, then the welcome
# and destination steps again on displays scaled to 125 %, 150 % and 200 %.
# Usage: screenshots.sh BUILD_DIR SETUP_EXE OUT_DIR (DISPLAY must name a running X server)
set -euo pipefail
build=$1 exe=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
rm -f "$out"/*.png
next=1601000a accept=1601001f

shot() {  # shot NAME: the wizard window as it is now
    sleep 0.8
    local id
    id=$(xdotool search --name '^安装向导-Lumora$' | head -n 1)
    import -window "$id" "$out/$1.png"
    echo "$out/$1.png"
}

# walk PREFIX TAG STEPS...: starts the setup in PREFIX and photographs the steps named, in
# order (welcome, licence, destination, ready), as TAG<n>-<step>.png; then leaves it.
walk() {
    local prefix=$1 tag=$2
    shift 2
    remote() { LUMORA_WINEPREFIX=$prefix "$here/wine-run.sh" "$build/tests/e2e/wizard_remote.exe" "$@"; }
    LUMORA_WINEPREFIX=$prefix "$here/wine-run.sh" "$exe" &
    local setup=$!
    if ! remote wait-window; then
        echo "the setup window did not appear" >&2
        kill "$setup" 2>/dev/null || true
        return 1
    fi
    local at=welcome n=1
    for step in "$@"; do
        case "$at:$step" in
        welcome:licence) remote click $next ;;
        welcome:destination) remote click $next; remote click $accept; remote click $next ;;
        licence:destination) remote click $accept; remote click $next ;;
        destination:ready) remote click $next ;;
        esac
        at=$step
        shot "$tag$n-$step"
        n=$((n + 1))
    done
    remote close
    remote answer yes
    wait "$setup" || true
}

walk "$build/wineprefix" 0 welcome licence destination ready

# The same window on scaled displays, each in a copy of the prefix with its own DPI.
for dpi in 120 144 192; do
    copy="$build/e2e-prefixes/screenshots-$dpi"
    rm -rf "$copy"
    cp -a "$build/wineprefix" "$copy"
    LUMORA_WINEPREFIX=$copy "$here/wine-run.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
        /t REG_DWORD /d "$dpi" /f >/dev/null
    walk "$copy" "dpi$dpi-" welcome destination
    WINEPREFIX=$copy wineserver -k >/dev/null 2>&1 || true
    rm -rf "$copy"
done
