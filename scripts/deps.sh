#!/usr/bin/env bash
# Fetches the Debian source packages we build from (libjpeg-turbo, zlib) and cross-builds
# libjpeg-turbo as a static i686 library. Usage: deps.sh DEPS_DIR. Idempotent.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
deps=${1:?usage: deps.sh DEPS_DIR}
mkdir -p "$deps/src"
cd "$deps/src"

fetch() {  # fetch PACKAGE: unpacks into $deps/src/PACKAGE-VERSION, links $deps/src/PACKAGE
    local pkg=$1
    if [ ! -e "$pkg/.unpacked" ]; then
        rm -rf "$pkg" "$pkg"-*/ "$pkg"_*
        # The archive can list a source version (a security update) that it does not serve:
        # try each listed version, newest first.
        local v ok=0
        for v in $(apt-cache showsrc "$pkg" | sed -n 's/^Version: //p' | sort -urV); do
            if apt-get source -qq "$pkg=$v" >/dev/null 2>&1; then ok=1; break; fi
            rm -rf "$pkg"-*/ "$pkg"_*
        done
        [ "$ok" = 1 ] || { echo "cannot fetch the source package $pkg" >&2; exit 1; }
        local dir
        dir=$(find . -maxdepth 1 -type d -name "$pkg-*" | head -n 1)
        ln -sfn "$dir" "$pkg"
        touch "$pkg/.unpacked"
    fi
}
fetch libjpeg-turbo
fetch zlib

if [ ! -f "$deps/jpeg/lib/libjpeg.a" ]; then
    cmake -S libjpeg-turbo -B "$deps/jpeg-build" -G "Unix Makefiles" \
        -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps/jpeg" \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
        -DWITH_SIMD=ON -DREQUIRE_SIMD=ON >"$deps/jpeg-configure.log" 2>&1 \
        || { cat "$deps/jpeg-configure.log"; exit 1; }
    cmake --build "$deps/jpeg-build" -j"$(nproc)" >"$deps/jpeg-build.log" 2>&1 \
        || { tail -50 "$deps/jpeg-build.log"; exit 1; }
    cmake --install "$deps/jpeg-build" >/dev/null
fi
