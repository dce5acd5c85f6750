#!/usr/bin/env bash
# The product's own files go in through scripts/build-with-product.sh; a folder with one wrong
# file stops it with a message naming the file and what is wrong, and no setup is built.
# Usage: product_check_test.sh PRODUCT_FOLDER (a sound folder: the build's product)
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd) product=${1:?usage: product_check_test.sh PRODUCT_FOLDER}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
spoiled() {  # spoiled MESSAGE COMMAND: the folder spoiled by COMMAND must stop with MESSAGE
    rm -rf "$work/files" "$work/build/app"
    cp -r "$product" "$work/files"
    (cd "$work/files" && eval "$2")
    if bash "$repo/scripts/build-with-product.sh" "$work/files" "$work/build" >/dev/null 2>"$work/error"; then
        echo "FAILED: built a setup around a folder where $1"; status=1
    elif ! grep -qF "$work/files/$1" "$work/error"; then
        echo "FAILED: no message \"$1\" in:"; cat "$work/error"; status=1
    elif [ -e "$work/build/app/LumoraSetup.exe" ]; then
        echo "FAILED: a setup was left although $1"; status=1
    else
        echo "stopped: $1"
    fi
}
spoiled "Lumora.exe: not a 32-bit program for i386" \
    'python3 -c "import struct; d = bytearray(open(\"Lumora.exe\", \"rb\").read()); pe = struct.unpack_from(\"<I\", d, 60)[0]
struct.pack_into(\"<H\", d, pe + 4, 0x8664); struct.pack_into(\"<H\", d, pe + 24, 0x20B); open(\"Lumora.exe\", \"wb\").write(d)"'
spoiled "常见问题解答.txt: a line end that is not CR LF" 'printf "问题\n答案" | iconv -f UTF-8 -t GBK >常见问题解答.txt'
spoiled "Function.dll: missing" 'rm Function.dll'
exit $status
