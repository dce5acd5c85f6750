# Shared by the build, test and run scripts: paths and a private X server.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$repo/build}
mkdir -p "$build"
build=$(cd "$build" && pwd)

xvfb_pid=
start_xvfb() {  # starts Xvfb on a free display and exports DISPLAY
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    export DISPLAY=":$n"
}
stop_all() {  # ends the build's wineserver and our X server
    WINEPREFIX="$build/wineprefix" wineserver -k >/dev/null 2>&1 || true
    for p in "$build"/e2e-prefixes/*/; do
        [ -d "$p" ] && WINEPREFIX="$p" wineserver -k >/dev/null 2>&1 || true
    done
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
    xvfb_pid=
}
winepath_of() {  # the Windows path of a file of the build, on Wine's Z: drive
    printf 'Z:%s' "$1" | tr '/' '\\'
}
