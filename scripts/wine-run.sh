#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, in the build's own prefix.
# Used as the tests' emulator: wine-run.sh PROGRAM.exe [ARGS...]
# LUMORA_WINEPREFIX names the prefix (default: <build>/wineprefix next to this script's copy).
set -uo pipefail
prefix=${LUMORA_WINEPREFIX:?LUMORA_WINEPREFIX is not set}
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
: "${DISPLAY:=:0}"; export DISPLAY

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Makes the prefix once (a lock keeps parallel tests from racing).
mkdir -p "$(dirname "$prefix")"
(
    flock 9
    if [ ! -f "$prefix/.lumora-ready" ]; then
        rm -rf "$prefix"
        wineboot -i >"$tmp/boot.log" 2>&1
        # Without a window manager every hide of a top-level window stalls; let Wine
        # draw the frames itself.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        wineserver -w
        # The user's folders are links into $HOME: make them real folders of the prefix.
        for d in "$prefix"/drive_c/users/*/; do
            for f in "$d"*; do
                if [ -L "$f" ]; then rm -f "$f"; mkdir -p "$f"; fi
            done
        done
        touch "$prefix/.lumora-ready"
    fi
) 9>"$prefix.lock"

wineserver -p60 >/dev/null 2>&1 || true
# Wine's helper processes inherit our pipes; hand them files instead so the caller
# (ctest) does not wait for them.
wine "$@" >"$tmp/out" 2>"$tmp/err" </dev/null
rc=$?
cat "$tmp/out"
cat "$tmp/err" >&2
exit $rc
