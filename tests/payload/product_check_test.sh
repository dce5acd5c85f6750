#!/usr/bin/env bash
# A product folder with one wrong file stops scripts/build-with-product.sh with a message that
# names the file and what is wrong, and no setup is built. Its argument: a sound folder.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd) product=${1:?usage: product_check_test.sh PRODUCT_FOLDER}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
spoiled() {  # spoiled MESSAGE COMMAND: the folder spoiled by COMMAND stops the build with MESSAGE
    rm -rf "$work/files" && cp -r "$product" "$work/files" && (cd "$work/files" && eval "$2")
    if bash "$repo/scripts/build-with-product.sh" "$work/files" "$work/build" >/dev/null 2>"$work/error" ||
        ! grep -qF "$work/files/$1" "$work/error" || [ -e "$work/build/app/LumoraSetup.exe" ]; then
        echo "FAILED: $1"; cat "$work/error"; status=1
    fi
}
spoiled "Lumora.exe: not a 32-bit program for i386" \
    'printf "\x64\x86" | dd of=Lumora.exe bs=1 seek=$(($(od -An -tu4 -j60 -N4 Lumora.exe) + 4)) conv=notrunc status=none'
spoiled "常见问题解答.txt: a line end that is not CR LF" 'printf "问题\n答案" | iconv -f UTF-8 -t GBK >常见问题解答.txt'
spoiled "Function.dll: missing" 'rm Function.dll'
exit $status
