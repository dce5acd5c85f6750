#!/usr/bin/env bash
# Builds the setup and measures it, on a private X server in a throw-away copy of the build's
# Wine prefix; prints one table. Not a test: nothing here passes or fails.
#   start-up: the setup against a bare Win32 window of the same toolchain, the same window
#     with one themed button, and an NSIS wizard of the same six steps carrying the same files
#     (Debian's nsis, installed here when missing): from start to the window shown, to its
#     first screen on the display, and to its being ready (from then on every message sent to
#     it from another process answered within 20 ms); medians of RUNS alternating runs (RUNS=7
#     unless set); what checking the carried files costs of it; to every control of the setup
#     made, and the longest a message sent to the setup once shown waited for its answer; the
#     whole first screen (drawn and ready, whichever comes last) against the themed button's
#   size: where the executable's bytes come from, by the link map; the carried programs
#   install: wall time against the waits the install must make (as asked, and as 90 waits of
#     15 ms alone take on the same machine in the same run), CPU time, bytes per second; the
#     median of INSTALLS installs (3 unless set), with the lowest and highest
#   memory: peak private memory of the setup during an install, of the bare window shown (the
#     median of as many starts), and the difference
#   Wait: what the host's waiting loop costs in processor time
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$repo/scripts/build.sh" >/dev/null
trap 'stop_all; [ -n "${copy:-}" ] && rm -rf "$copy"' EXIT
start_xvfb
runs=${RUNS:-7}
installs=${INSTALLS:-3}

LUMORA_WINEPREFIX=$build/wineprefix "$repo/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 || true
copy="$build/e2e-prefixes/bench"
rm -rf "$copy"
cp -a "$build/wineprefix" "$copy"
rm -f "$copy/wineserver"
win() { LUMORA_WINEPREFIX=$copy "$repo/scripts/wine-run.sh" "$@"; }
setup="$build/app/LumoraSetup.exe" bare="$build/bench/bare_window.exe" button="$build/bench/bare_button.exe"
driver="$build/bench/bench_driver.exe"

# The peer: an NSIS wizard of our own script, with the setup's licence text and carried files.
nsis="$build/bench/nsis_wizard.exe"
command -v makensis >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y nsis >/dev/null 2>&1 || true
if command -v makensis >/dev/null &&
    python3 "$repo/bench/licence_text.py" "$repo/wizard/licence.cpp" "$build/bench/licence.txt" &&
    makensis -INPUTCHARSET UTF8 -DFILES="$build/product/Lumora" -DLICENCE="$build/bench/licence.txt" -DOUT="$nsis" \
        "$repo/bench/nsis_wizard.nsi" >"$build/bench/nsis_wizard.log" 2>&1; then
    :
else
    echo "bench: no NSIS wizard to compare with (package nsis; $build/bench/nsis_wizard.log)" >&2
    nsis=
fi

figures=$( {
    win "$driver" startup "$(winepath_of "$setup")" "$(winepath_of "$bare")" "$(winepath_of "$button")" "$runs" \
        ${nsis:+"$(winepath_of "$nsis")"}
    win "$build/bench/checksum_benchmark.exe"
    for _ in $(seq "$installs"); do
        win "$driver" memory "$(winepath_of "$bare")"
        win "$driver" install "$(winepath_of "$setup")"
    done
} | tr -d '\r')
waits=$(win "$build/bench/wait_benchmark.exe" | tr -d '\r')
# A figure, or the median of a figure printed more than once.
value() { printf '%s\n' "$figures" | awk -v k="$1" '$1 == k { print $2 }' | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# "lowest to highest" of a figure printed more than once.
spread() { printf '%s\n' "$figures" | awk -v k="$1" '$1 == k { print $2 }' | sort -g | awk 'NR == 1 { l = $1 } { h = $1 } END { printf "%s to %s", l, h }'; }

echo "Lumora Setup benchmarks ($(date -u +%Y-%m-%d), $(nproc) cores, Wine $(wine --version 2>/dev/null | sed 's/wine-//'))"
echo
echo "Start-up, from starting each program (median of $runs alternating runs each; ready: from then on"
echo "every message sent to its window from another process is answered within 20 ms)"
printf '  %-42s %9s %9s %9s  %s\n' "" shown drawn ready "ready against the themed button"
row() {  # label, key
    awk -v label="$1" -v s="$(value "startup_$2_ms")" -v d="$(value "painted_$2_ms")" -v r="$(value "ready_$2_ms")" \
        -v t="$(value ready_button_ms)" 'BEGIN {
        printf "  %-42s %6.1f ms %6.1f ms %6.1f ms  %5.2fx\n", label, s, d, r, r / t }'
}
row "setup" setup
row "bare window (same toolchain)" bare
row "bare window with one themed button" button
if [ -n "$nsis" ]; then
    row "NSIS 3 wizard, same steps, files, licence" nsis
    awk -v s="$(value ready_setup_ms)" -v n="$(value ready_nsis_ms)" 'BEGIN {
        printf "  %-42s %5.2fx\n", "setup ready against the NSIS wizard", s / n }'
fi
awk -v c="$(value checksum_ms)" -v n="$(value checksum_bytes)" -v s="$(value startup_setup_ms)" 'BEGIN {
    printf "  %-42s %6.2f ms  (%.1f%% of the setup\x27s start to shown; %d bytes)\n", "of which checking the carried files", c, 100 * c / s, n }'
awk -v s="$(value first_screen_setup_ms)" -v b="$(value first_screen_button_ms)" 'BEGIN {
    printf "  %-42s %6.1f ms  %5.2fx the themed button\x27s (%.1f ms)\n", "setup, whole first screen (drawn and ready)", s, s / b, b }'
awk -v c="$(value complete_setup_ms)" -v l="$(value longest_answer_setup_ms)" -v m="$(value median_longest_answer_setup_ms)" 'BEGIN {
    printf "  %-42s %6.1f ms\n", "setup, all 38 controls made", c
    printf "  %-42s %6.1f ms  (median of the runs\x27 longest %.1f ms)\n", "setup, longest wait for an answer once shown", l, m }'
echo
echo "Size of $(basename "$setup"): $(stat -c %s "$setup") bytes"
python3 "$repo/bench/link_budget.py" "$build/app/LumoraSetup.map" "$setup"
echo
echo "Size of the carried programs"
for f in Lumora.exe TarvelUP.exe 卸载.exe Function.dll Tarvel-Skin.dll; do
    printf '  %9d bytes  %s\n' "$(stat -c %s "$build/product/Lumora/$f")" "$f"
done
echo
echo "Install (both options, $(value install_steps) single steps of 15 ms; medians of $installs installs)"
measured=$(printf '%s\n' "$waits" | awk '/^Wait\(15\) 90 times/ { print $6 }')
awk -v w="$(value install_wall_ms)" -v wr="$(spread install_wall_ms)" -v c="$(value install_cpu_ms)" -v n="$(value install_bytes)" \
    -v steps="$(value install_steps)" -v m="$measured" 'BEGIN {
    waits = steps * 15
    printf "  %-44s %8.0f ms  %.2fx the waits (target 1.05x: %.0f ms; %s ms)\n", "wall time, Install pressed to finish page", w, w / waits, 1.05 * waits, wr
    printf "  %-44s %8.0f ms  (%.0f%% of the wall time)\n", "of which the mandated waits, as asked", waits, 100 * waits / w
    if (m > 0) printf "  %-44s %8.0f ms  (wall %.2fx these)\n", "the same waits alone, as they last here", m, w / m
    printf "  %-44s %8.0f ms\n  %-44s %8.0f bytes, %.2f MB/s over the wall time\n", "CPU time of the setup", c, "written into the destination", n, n / 1048576 / (w / 1000) }'
echo
echo "Peak private memory (medians of $installs)"
awk -v s="$(value install_peak_private_kb)" -v b="$(value bare_peak_private_kb)" -v sr="$(spread install_peak_private_kb)" \
    -v br="$(spread bare_peak_private_kb)" 'BEGIN {
    printf "  %-44s %8.0f KB  %5.2fx  (%s KB)\n  %-44s %8.0f KB         (%s KB)\n", "setup, through a whole install", s, s / b, sr, "bare window, shown", b, br
    printf "  %-44s %8.0f KB  %.2f MB above the bare window (target 4 MB: 4096 KB)\n", "setup above the bare window", s - b, (s - b) / 1024 }'
echo
echo "Wait (host operation)"
printf '%s\n' "$waits" | sed 's/^/  /'
