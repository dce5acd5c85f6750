#!/usr/bin/env bash
# Builds the setup around a folder holding the product's nine files (Lumora.exe, TarvelUP.exe,
# 卸载.exe, Function.dll, Tarvel-Skin.dll, 更新日志.log, 常见问题解答.txt, Lumora官网.url,
# Lumora视频教程.url) instead of the programs this repository builds. Each file is checked
# first (payload/check_product.py); a problem is named with its file and no setup is built.
# Usage: build-with-product.sh FOLDER [BUILD_FOLDER [CMAKE_OPTION...]]
#   BUILD_FOLDER defaults to $BUILD_DIR/release; options such as -DLUMORA_PRODUCT_VERSION=3.50.
# Leaves BUILD_FOLDER/app/LumoraSetup.exe and the carried files in BUILD_FOLDER/product/Lumora/.
set -euo pipefail
source "$(dirname "$0")/common.sh"
usage="usage: build-with-product.sh FOLDER [BUILD_FOLDER [CMAKE_OPTION...]]"
[ -d "${1:?$usage}" ] || { echo "build-with-product: no folder $1" >&2; exit 1; }
from=$(cd "$1" && pwd) out=${2:-$build/release}
shift $(($# < 2 ? $# : 2))
mkdir -p "$out"
rm -f "$out/app/LumoraSetup.exe"  # never a setup of an earlier run left after an error
cmake -S "$repo" -B "$out" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw-i686-win32.cmake" -DLUMORA_SHIPPED_ONLY=ON \
    -DLUMORA_PRODUCT_FROM="$from" -DLUMORA_DEPS_DIR="$build/deps" "$@" >"$out/configure.log" 2>&1 ||
    { grep -v "^--" "$out/configure.log" >&2; exit 1; }
cmake --build "$out" --target LumoraSetup -j"$(nproc)" >"$out/build.log" 2>&1 || { tail -30 "$out/build.log" >&2; exit 1; }
echo "$out/app/LumoraSetup.exe"
