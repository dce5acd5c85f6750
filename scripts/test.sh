#!/usr/bin/env bash
# Builds everything and runs every test: the Windows tests under Wine on a private X
# server, and the portable pieces natively under the sanitizers.
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$repo/scripts/build.sh"
trap stop_all EXIT
start_xvfb

status=0
(cd "$build" && ctest -j2 --output-on-failure) || status=1

if [ -f "$repo/tests/native/CMakeLists.txt" ]; then
    cmake -S "$repo/tests/native" -B "$build/native" -G "Unix Makefiles" \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >"$build/native-configure.log" 2>&1 \
        || { cat "$build/native-configure.log"; exit 1; }
    cmake --build "$build/native" -j"$(nproc)"
    (cd "$build/native" && ctest -j2 --output-on-failure) || status=1
fi
exit $status
