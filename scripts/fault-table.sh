#!/usr/bin/env bash
# Runs the fault suite (and the uninstaller's hand-over case) and prints, from its runs, the README's table of each fault and what
# the setup did: what it said, its exit code, and the files it left in the destination.
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$repo/scripts/build.sh" >/dev/null
trap stop_all EXIT
start_xvfb
log=$(mktemp)
(cd "$build" && ctest -R '^(fault_suite_test\.|uninstall_e2e_test\.TheCopyRunsFrom)' -j2 -V >"$log" 2>&1) || { tail -40 "$log"; echo "the fault suite failed" >&2; }
echo "| fault | what the setup said | exit code | left in the destination |"
echo "|---|---|---|---|"
grep -a 'FAULT-ROW|' "$log" | sed 's/^[0-9]*: //' | iconv -f GBK -t UTF-8 | sort -u |
    awk -F'|' '{ printf "| %s | %s | %s | %s |\n", $2, $3, $4, $5 }'
rm -f "$log"
