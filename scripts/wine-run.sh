#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, in the build's own prefix.
# Used as the tests' emulator: wine-run.sh PROGRAM.exe [ARGS...]
# LUMORA_WINEPREFIX names the prefix (default: <build>/wineprefix next to this script's copy).
set -uo pipefail
prefix=${LUMORA_WINEPREFIX:?LUMORA_WINEPREFIX is not set}
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The locale sets the system's ANSI code page: zh_CN.UTF-8 (936, a Chinese Windows) unless
# LUMORA_LOCALE names another that scripts/bootstrap.sh compiles (en_US.UTF-8 1252,
# zh_TW.UTF-8 950, hi_IN.UTF-8 65001). Uncompiled, Wine would still report its code page but
# fail every non-ASCII file name: refuse it rather than test that.
locale=${LUMORA_LOCALE:-zh_CN.UTF-8}
if ! locale -a 2>/dev/null | grep -qix "$(printf '%s' "$locale" | sed 's/\.UTF-8$/.utf8/I')"; then
    echo "wine-run: the locale $locale is not compiled (scripts/bootstrap.sh)" >&2
    exit 125
fi
export LANG=$locale LC_ALL=$locale
: "${DISPLAY:=:0}"; export DISPLAY

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# What goes into a prefix; one made by an older recipe (another number in its ready mark) is
# made again.
recipe=3
# Wine's own fonts (Debian's fonts-wine).
wine_fonts=/usr/share/wine/fonts

# The fonts of a Chinese Windows. Its default GUI face, SimSun (宋体), has lines 12 pixels
# apart at 12 pixels and half-width Latin letters; the window's rectangles are made for it.
# AR PL SungtiL GB, a Song face with the same vertical metrics (its ascent and descent add up to
# one em), stands in for it under all its names; without it Wine falls back to a CJK face whose
# lines are 17 pixels apart and the wrapped texts run into the controls below them. Windows
# thickens the bold of a face without a bold style by whole pixels; Wine would smooth it to
# grey, so it does not. Marlett draws the symbols of the title bar's buttons; this Wine does
# not find it among its own fonts, so it goes into the prefix's Fonts folder.
setup_fonts() {
    local face
    for face in SimSun 宋体 NSimSun 新宋体; do
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d 'AR PL SungtiL GB' /f \
            >/dev/null 2>&1
    done
    wine reg add 'HKCU\Software\Wine\Fonts' /v AntialiasFakeBoldOrItalic /t REG_SZ /d n /f >/dev/null 2>&1
    # Under a western code page the default GUI face is MS Shell Dlg, which a western Windows
    # draws with Tahoma or Microsoft Sans Serif and, for the characters they lack, with SimSun
    # through its font links. This Wine does not find its own Tahoma and takes Liberation Sans:
    # link that to the Song face in the same way, or the Chinese texts draw as empty boxes.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v 'Liberation Sans' \
        /t REG_MULTI_SZ /d 'gbsn00lp.ttf,AR PL SungtiL GB' /f >/dev/null 2>&1
    cp "$wine_fonts/marlett.ttf" "$prefix/drive_c/windows/Fonts/" ||
        echo "wine-run: the title bar's symbol font is missing ($wine_fonts/marlett.ttf, package fonts-wine)" >&2
}

# Makes the prefix once (a lock keeps parallel tests from racing).
mkdir -p "$(dirname "$prefix")"
(
    flock 9
    if [ "$(cat "$prefix/.lumora-ready" 2>/dev/null)" != "$recipe" ]; then
        # Made as a Chinese Windows whatever the locale of the run that makes it.
        export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
        rm -rf "$prefix"
        wineboot -i >"$tmp/boot.log" 2>&1
        # Without a window manager every hide of a top-level window stalls; let Wine
        # draw the frames itself.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        setup_fonts
        wineserver -w
        # The user's folders are links into $HOME: make them real folders of the prefix.
        for d in "$prefix"/drive_c/users/*/; do
            for f in "$d"*; do
                if [ -L "$f" ]; then rm -f "$f"; mkdir -p "$f"; fi
            done
        done
        echo "$recipe" >"$prefix/.lumora-ready"
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
