#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine (run as root).
# Quick when everything is already there.
set -euo pipefail

PKGS=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32
      binutils-mingw-w64-i686 mingw-w64-i686-dev
      cmake make wine wine32:i386 xvfb xdotool x11-utils imagemagick fonts-noto-cjk locales
      googletest libstb-dev dpkg-dev clang libclang-rt-14-dev python3 fonts-wine fonts-liberation
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
# Wine needs a compiled Chinese locale, or every Chinese file name fails.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
    localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
# A user without administrator rights, for the tests in which the system must deny access
# (Wine run as root ignores file permissions).
if ! id lumora-test >/dev/null 2>&1; then
    useradd --create-home --shell /usr/sbin/nologin lumora-test
fi
