#!/usr/bin/env bash
# Walks the setup through all six steps, installing into a copy of the build's Wine prefix,
# and saves a screenshot of each (the installing step mid-way), and beside it what a screen
# reader reads there (NAME.txt: the window, its texts and controls in reading order, the
# focus; read from another process through the accessibility interface); then photographs the welcome
# and destination steps again on displays scaled to 125 %, 150 % and 200 %, and the welcome
# and finish steps on a Windows whose ANSI code page is 1252 (a western one).
# Usage: screenshots.sh BUILD_DIR SETUP_EXE OUT_DIR (DISPLAY must name a running X server)
set -euo pipefail
build=$1 exe=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
rm -f "$out"/*.png "$out"/*.txt
next=1601000a accept=1601001f notes=16010075 answers=16010076

shot() {  # shot NAME [DELAY]: the wizard window as it is after DELAY seconds
    sleep "${2:-0.8}"
    local id
    id=$(xdotool search --name '^安装向导-Lumora$' | head -n 1)
    import -window "$id" "$out/$1.png"
    echo "$out/$1.png"
}

# The step's number in the wizard.
step_number() {
    case $1 in
    welcome) echo 1 ;; licence) echo 2 ;; destination) echo 3 ;; ready) echo 4 ;; installing) echo 5 ;;
    finish) echo 6 ;;
    esac
}

# walk PREFIX TAG STEPS...: starts the setup in PREFIX and photographs the steps named, in
# order (welcome, licence, destination, ready, installing, finish), as TAG<n>-<step>.png with
# the step's number n; then leaves it: from the finish page without opening anything, else
# through the exit question. LUMORA_LOCALE, when set, is the locale (and so the ANSI code
# page) the setup runs under.
walk() {
    local prefix=$1 tag=$2 locale=${LUMORA_LOCALE:-}
    shift 2
    remote() {
        LUMORA_LOCALE=$locale LUMORA_WINEPREFIX=$prefix "$here/wine-run.sh" "$build/tests/e2e/wizard_remote.exe" "$@"
    }
    LUMORA_LOCALE=$locale LUMORA_WINEPREFIX=$prefix "$here/wine-run.sh" "$exe" &
    local setup=$!
    if ! remote wait-window; then
        echo "the setup window did not appear" >&2
        kill "$setup" 2>/dev/null || true
        return 1
    fi
    local at=welcome delay
    for step in "$@"; do
        delay=0.8
        case "$at:$step" in
        welcome:licence) remote click $next ;;
        welcome:destination) remote click $next; remote click $accept; remote click $next ;;
        welcome:finish)  # through the licence, destination and ready steps, then the install
            remote click $next; remote click $accept; remote click $next; remote click $next; remote click $next
            delay=3 ;;
        licence:destination) remote click $accept; remote click $next ;;
        destination:ready) remote click $next ;;
        ready:installing) remote click $next; delay=0.6 ;;  # the install takes about 1.5 s
        installing:finish) delay=2 ;;
        esac
        at=$step
        shot "$tag$(step_number "$step")-$step" $delay
        LUMORA_LOCALE=$locale LUMORA_WINEPREFIX=$prefix "$here/wine-run.sh" "$build/tests/e2e/screen_reader.exe" \
            >"$out/$tag$(step_number "$step")-$step.txt" || echo "no reading of the $step step" >&2
    done
    if [ "$at" = finish ]; then
        remote click $notes
        remote click $answers
        remote click $next
    else
        remote close
        remote answer yes
    fi
    wait "$setup" || true
}

# in_copy [DPI]: a fresh copy of the build's prefix, with the display's DPI when given.
in_copy() {
    local copy="$build/e2e-prefixes/screenshots-${1:-96}"
    rm -rf "$copy"
    mkdir -p "$(dirname "$copy")"
    cp -a "$build/wineprefix" "$copy"
    rm -f "$copy/wineserver"
    if [ -n "${1:-}" ]; then
        LUMORA_WINEPREFIX=$copy "$here/wine-run.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
            /t REG_DWORD /d "$1" /f >/dev/null
    fi
    echo "$copy"
}
done_with() {
    WINEPREFIX=$1 wineserver -k >/dev/null 2>&1 || true
    rm -rf "$1"
}

# The template exists once anything has run in it.
LUMORA_WINEPREFIX=$build/wineprefix "$here/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true
copy=$(in_copy)
walk "$copy" 0 welcome licence destination ready installing finish
done_with "$copy"

for dpi in 120 144 192; do
    copy=$(in_copy $dpi)
    walk "$copy" "dpi$dpi-" welcome destination
    done_with "$copy"
done

copy=$(in_copy)
LUMORA_LOCALE=en_US.UTF-8 walk "$copy" cp1252-0 welcome finish
done_with "$copy"
