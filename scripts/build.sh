#!/usr/bin/env bash
# Installs what is missing, fetches and builds the dependencies, and builds the setup.
# BUILD_DIR chooses the build folder (default: build/ in the repository).
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$repo/scripts/bootstrap.sh"
bash "$repo/scripts/deps.sh" "$build/deps"
cmake -S "$repo" -B "$build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw-i686.cmake" \
    -DLUMORA_DEPS_DIR="$build/deps" >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j"$(nproc)"
