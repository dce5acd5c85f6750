#!/usr/bin/env bash
# Builds what ships a second time and compares it byte for byte with what the build made: the
# setup and the nine carried files. The second build starts from a copy of the sources and of
# zlib's in another folder, under another locale and time zone, so that a path, a clock or a
# language that reached the bytes shows up as a difference.
# Usage: reproduce.sh (after scripts/build.sh; BUILD_DIR as for the other scripts).
# Exit 0 when every file is the same; else the files that differ are named.
set -euo pipefail
source "$(dirname "$0")/common.sh"

first_product="$build/product/Lumora" first_setup="$build/app/LumoraSetup.exe"
[ -f "$first_setup" ] || { echo "reproduce: no $first_setup (scripts/build.sh first)" >&2; exit 2; }

other=$(mktemp -d /tmp/lumora-reproduce.XXXXXX)
trap '[ -n "${LUMORA_KEEP:-}" ] || rm -rf "$other"' EXIT
src="$other/sources elsewhere" second="$other/a second build in a longer folder"
mkdir -p "$src" "$second/deps/src"

# The sources as they are in the work tree (committed or not), without the build folders.
if git -C "$repo" rev-parse --git-dir >/dev/null 2>&1; then
    git -C "$repo" ls-files -z --cached --others --exclude-standard |
        (cd "$repo" && tar --null --ignore-failed-read -T - -cf -) | tar -xf - -C "$src"
else
    (cd "$repo" && tar --exclude=./build --exclude='./build-*' -cf - .) | tar -xf - -C "$src"
fi
cp -rL "$build/deps/src/zlib" "$second/deps/src/zlib"

# Another language and a clock fourteen hours ahead of the first build's.
case "${LC_ALL:-${LANG:-}}" in
    zh_CN*) other_locale=en_US.UTF-8 ;;
    *) other_locale=zh_CN.UTF-8 ;;
esac
export LC_ALL=$other_locale LANG=$other_locale TZ=UTC-14

# The test build's configuration, which starts the shipped build; only that one is built.
cmake -S "$src" -B "$second" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw-i686.cmake" \
    -DLUMORA_DEPS_DIR="$second/deps" >"$other/configure.log" 2>&1 || { cat "$other/configure.log"; exit 2; }
cmake --build "$second" --target shipped -j"$(nproc)" >"$other/build.log" 2>&1 || { tail -50 "$other/build.log"; exit 2; }

status=0
same() {  # same FIRST SECOND: says whether two files hold the same bytes
    if cmp -s "$1" "$2"; then
        echo "same bytes: $(basename "$1") ($(stat -c %s "$1") bytes)"
    else
        echo "DIFFERENT: $(basename "$1"): $(cmp -l "$1" "$2" 2>/dev/null | wc -l) bytes differ" \
            "($(stat -c %s "$1") and $(stat -c %s "$2" 2>/dev/null || echo no) bytes)"
        status=1
    fi
}
for f in "$first_product"/*; do same "$f" "$second/product/Lumora/$(basename "$f")"; done
[ "$(ls "$first_product" | wc -l)" = "$(ls "$second/product/Lumora" | wc -l)" ] ||
    { echo "DIFFERENT: the product folders hold different files"; status=1; }
same "$first_setup" "$second/app/LumoraSetup.exe"
exit $status
