#!/usr/bin/env bash
# Builds the setup and measures it, on a private X server in a throw-away copy of the build's
# Wine prefix; prints one table. Not a test: nothing here passes or fails.
#   start to window shown: the setup against a bare Win32 window of the same toolchain and
#     against the same window with one themed button, medians of RUNS alternating runs
#     (RUNS=7 unless set), and what checking the carried files costs of it; then start to the
#     first screen on the display, and to every control of the setup made
#   size: where the executable's bytes come from, by the link map; the carried programs
#   install: wall time against the waits the install must make, CPU time, bytes per second
#   memory: peak private memory of the setup during an install, of the bare window shown
#   Wait: what the host's waiting loop costs in processor time
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$repo/scripts/build.sh" >/dev/null
trap 'stop_all; [ -n "${copy:-}" ] && rm -rf "$copy"' EXIT
start_xvfb
runs=${RUNS:-7}

LUMORA_WINEPREFIX=$build/wineprefix "$repo/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true
copy="$build/e2e-prefixes/bench"
rm -rf "$copy"
cp -a "$build/wineprefix" "$copy"
rm -f "$copy/wineserver"
win() { LUMORA_WINEPREFIX=$copy "$repo/scripts/wine-run.sh" "$@"; }
setup="$build/app/LumoraSetup.exe" bare="$build/bench/bare_window.exe" button="$build/bench/bare_button.exe"
driver="$build/bench/bench_driver.exe"

figures=$( {
    win "$driver" startup "$(winepath_of "$setup")" "$(winepath_of "$bare")" "$(winepath_of "$button")" "$runs"
    win "$build/bench/checksum_benchmark.exe"
    win "$driver" memory "$(winepath_of "$bare")"
    win "$driver" install "$(winepath_of "$setup")"
} | tr -d '\r')
value() { printf '%s\n' "$figures" | awk -v k="$1" '$1 == k { print $2 }'; }

echo "Lumora Setup benchmarks ($(date -u +%Y-%m-%d), $(nproc) cores, Wine $(wine --version 2>/dev/null | sed 's/wine-//'))"
echo
echo "Start to window shown (median of $runs alternating runs each)"
awk -v s="$(value startup_setup_ms)" -v b="$(value startup_bare_ms)" -v t="$(value startup_button_ms)" 'BEGIN {
    printf "  %-44s %8.1f ms  %5.2fx\n  %-44s %8.1f ms  %5.2fx\n  %-44s %8.1f ms  %5.2fx\n", "setup", s, s / b,
        "bare window (same toolchain)", b, 1, "bare window with one themed button", t, t / b }'
awk -v c="$(value checksum_ms)" -v n="$(value checksum_bytes)" -v s="$(value startup_setup_ms)" 'BEGIN {
    printf "  %-44s %8.2f ms  (%.1f%% of the setup\x27s start; %d bytes)\n", "of which checking the carried files", c, 100 * c / s, n }'
echo
echo "Start to the first screen on the display, and to every control made (same runs)"
awk -v s="$(value painted_setup_ms)" -v b="$(value painted_bare_ms)" -v t="$(value painted_button_ms)" \
    -v c="$(value complete_setup_ms)" 'BEGIN {
    printf "  %-44s %8.1f ms  %5.2fx\n  %-44s %8.1f ms  %5.2fx\n  %-44s %8.1f ms  %5.2fx\n", "setup, welcome step drawn", s, s / b,
        "bare window, drawn", b, 1, "bare window with one themed button, drawn", t, t / b
    printf "  %-44s %8.1f ms\n", "setup, all 38 controls made", c }'
echo
echo "Size of $(basename "$setup"): $(stat -c %s "$setup") bytes"
python3 "$repo/bench/link_budget.py" "$build/app/LumoraSetup.map" "$setup"
echo
echo "Size of the carried programs"
for f in Lumora.exe TarvelUP.exe 卸载.exe Function.dll Tarvel-Skin.dll; do
    printf '  %9d bytes  %s\n' "$(stat -c %s "$build/product/Lumora/$f")" "$f"
done
echo
echo "Install (both options, $(value install_steps) single steps of 15 ms)"
awk -v w="$(value install_wall_ms)" -v c="$(value install_cpu_ms)" -v n="$(value install_bytes)" \
    -v steps="$(value install_steps)" 'BEGIN {
    waits = steps * 15
    printf "  %-44s %8.0f ms\n  %-44s %8.0f ms  (%.0f%% of the wall time)\n", "wall time, Install pressed to finish page", w, "of which the mandated waits", waits, 100 * waits / w
    printf "  %-44s %8.0f ms\n  %-44s %8.0f bytes, %.2f MB/s over the wall time\n", "CPU time of the setup", c, "written into the destination", n, n / 1048576 / (w / 1000) }'
echo
echo "Peak private memory"
awk -v s="$(value install_peak_private_kb)" -v b="$(value bare_peak_private_kb)" 'BEGIN {
    printf "  %-44s %8.0f KB  %5.2fx\n  %-44s %8.0f KB\n", "setup, through a whole install", s, s / b, "bare window, shown", b }'
echo
echo "Wait (host operation)"
win "$build/bench/wait_benchmark.exe" | tr -d '\r' | sed 's/^/  /'
