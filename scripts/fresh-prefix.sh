#!/usr/bin/env bash
# Runs a Windows program in a fresh copy of the build's Wine prefix, so that what it changes
# on the machine (the registry, running programs, files, the display's DPI) stays its own.
# Usage: fresh-prefix.sh TEMPLATE_PREFIX COPY PROGRAM.exe [ARGS...]
# Set in the environment, these shape the copy:
#   LUMORA_DPI=N           the display's DPI (the LogPixels of its user)
#   LUMORA_SMALL_DRIVE=SZ  a drive Q: of that size (a tmpfs; left out where mounting is refused)
#   LUMORA_LOCALE=NAME     the locale, and so the ANSI code page, of the runs in the copy
#                          (scripts/wine-run.sh; default zh_CN.UTF-8)
#   LUMORA_AS_USER=NAME    run as that user rather than root, in a copy of its own under /tmp:
#                          a user whom the system can deny. The program and the files named in
#                          LUMORA_CARRY (space-separated) are copied into C:\lumora-run first,
#                          and LUMORA_RUN_DIR tells the program where they are.
set -u
template=$1 copy=$2 program=$3
shift 3
run="$(cd "$(dirname "$0")" && pwd)/wine-run.sh"
user=${LUMORA_AS_USER:-}
if [ -n "$user" ]; then
    copy="/tmp/lumora-user-prefixes/$(basename "$copy")"
    mkdir -p /tmp/lumora-user-prefixes
    chmod 1777 /tmp/lumora-user-prefixes
fi
drive="$copy.q"

in_copy() {  # in_copy COMMAND...: runs a command in the copy, as its user
    if [ -n "$user" ]; then
        runuser -u "$user" -- env HOME="$(getent passwd "$user" | cut -d: -f6)" USER="$user" LOGNAME="$user" \
            LUMORA_WINEPREFIX="$copy" DISPLAY="${DISPLAY:-}" LUMORA_LOCALE="${LUMORA_LOCALE:-}" \
            LUMORA_RUN_DIR='C:\lumora-run' "$@"
    else
        LUMORA_WINEPREFIX=$copy "$@"
    fi
}
cleanup() {
    in_copy bash -c 'WINEPREFIX=$LUMORA_WINEPREFIX wineserver -k' >/dev/null 2>&1
    if mountpoint -q "$drive" 2>/dev/null; then umount "$drive"; fi
    rm -rf "$copy" "$drive" "$copy.lock"
}

# Let the template exist (wine-run makes it once), then copy it while it is at rest. Other
# tests share the template: it sees only the default locale.
LUMORA_LOCALE= LUMORA_WINEPREFIX=$template "$run" cmd /c exit >/dev/null 2>&1
cleanup
mkdir -p "$(dirname "$copy")"
cp -a "$template" "$copy"
rm -f "$copy/wineserver"  # where the template's server lives: the copy gets a server of its own
trap cleanup EXIT

if [ -n "${LUMORA_SMALL_DRIVE:-}" ]; then
    mkdir -p "$drive"
    if mount -t tmpfs -o "size=$LUMORA_SMALL_DRIVE" tmpfs "$drive" 2>/dev/null; then
        ln -sfn "$drive" "$copy/dosdevices/q:"
    else
        echo "tmpfs cannot be mounted here: no drive Q:"
    fi
fi
if [ -n "$user" ]; then
    mv "$copy/drive_c/users/root" "$copy/drive_c/users/$user"
    mkdir -p "$copy/drive_c/lumora-run"
    cp -a "$program" ${LUMORA_CARRY:-} "$copy/drive_c/lumora-run/"
    program="$copy/drive_c/lumora-run/$(basename "$program")"
    chown -R "$user" "$copy"
    [ -d "$drive" ] && chown "$user" "$drive"
fi
if [ -n "${LUMORA_DPI:-}" ]; then
    in_copy "$run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$LUMORA_DPI" /f \
        >/dev/null 2>&1
fi

in_copy "$run" "$program" "$@"
