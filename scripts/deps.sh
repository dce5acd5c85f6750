#!/usr/bin/env bash
# Fetches the Debian source package of zlib, which the carried skin library is built from.
# Usage: deps.sh DEPS_DIR. Idempotent.
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
fetch zlib
