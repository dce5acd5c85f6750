#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine (run as root).
# Quick when everything is already there.
set -euo pipefail

PKGS=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32
      binutils-mingw-w64-i686 mingw-w64-i686-dev
      cmake make wine wine32:i386 xvfb xdotool x11-utils imagemagick fonts-noto-cjk locales
      googletest libstb-dev dpkg-dev clang libclang-rt-14-dev python3 fonts-wine fonts-liberation
      fonts-arphic-gbsn00lp osslsigncode openssl
      libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386 libxinerama1:i386
      libxfixes3:i386 libxcomposite1:i386)

need_install=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    need_install=1
fi
# The source package of zlib comes from the archive's deb-src entries.
if ! grep -rqs '^Types: deb deb-src\|^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
    else
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >> /etc/apt/sources.list
    fi
    need_install=1
fi
for p in "${PKGS[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        need_install=1
        break
    fi
done
if [ "$need_install" = 1 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${PKGS[@]}" >/dev/null
fi
# Wine takes the system's ANSI code page from the locale, and needs it compiled, or every
# Chinese file name fails. zh_CN.UTF-8 (code page 936) is the test bed's Chinese Windows; the
# others let a test run under another code page: en_US.UTF-8 1252, zh_TW.UTF-8 950, and
# hi_IN.UTF-8 65001 (Hindi has no ANSI code page of its own, so Wine takes UTF-8).
for name in zh_CN en_US zh_TW hi_IN; do
    if ! locale -a 2>/dev/null | grep -qix "$name.utf8"; then
        localedef -i "$name" -f UTF-8 "$name.UTF-8"
    fi
done
# A user without administrator rights, for the tests in which the system must deny access
# (Wine run as root ignores file permissions).
if ! id lumora-test >/dev/null 2>&1; then
    useradd --create-home --shell /usr/sbin/nologin lumora-test
fi
