#!/usr/bin/env bash
# Runs a Windows program in a fresh copy of the build's Wine prefix, so that what it changes
# on the machine (the registry, running programs, files, the display's DPI) stays its own.
# Usage: fresh-prefix.sh TEMPLATE_PREFIX COPY PROGRAM.exe [ARGS...]
# LUMORA_DPI, when set, is the copy's display DPI (the LogPixels of its user).
set -u
template=$1 copy=$2
shift 2
run="$(cd "$(dirname "$0")" && pwd)/wine-run.sh"

# Let the template exist (wine-run makes it once), then copy it while it is at rest.
LUMORA_WINEPREFIX=$template "$run" cmd /c exit >/dev/null 2>&1
WINEPREFIX=$copy wineserver -k >/dev/null 2>&1
rm -rf "$copy"
mkdir -p "$(dirname "$copy")"
cp -a "$template" "$copy"
if [ -n "${LUMORA_DPI:-}" ]; then
    LUMORA_WINEPREFIX=$copy "$run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$LUMORA_DPI" /f >/dev/null 2>&1
fi

LUMORA_WINEPREFIX=$copy "$run" "$@"
rc=$?
WINEPREFIX=$copy wineserver -k >/dev/null 2>&1
rm -rf "$copy"
exit $rc
