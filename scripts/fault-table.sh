#!/usr/bin/env bash
# Runs the fault suite (and the uninstaller's hand-over case) and makes, from its runs, the table of
# each fault and what the setup did: what it said, its exit code, and the files it left in the
# destination. Prints it and, when every case passed, puts it into docs/faults.md between its marks.
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$repo/scripts/build.sh" >/dev/null
trap stop_all EXIT
start_xvfb
log=$(mktemp) table=$(mktemp)
passed=1
(cd "$build" && ctest -R '^(fault_suite_test\.|uninstall_e2e_test\.TheCopyRunsFrom)' -j2 -V >"$log" 2>&1) ||
    { tail -40 "$log"; echo "the fault suite failed" >&2; passed=0; }
{
    echo "| fault | what the setup said | exit code | left in the destination |"
    echo "|---|---|---|---|"
    grep -a 'FAULT-ROW|' "$log" | sed 's/^[0-9]*: //' | iconv -f GBK -t UTF-8 | sort -u |
        awk -F'|' '{ printf "| %s | %s | %s | %s |\n", $2, $3, $4, $5 }'
} >"$table"
cat "$table"
doc="$repo/docs/faults.md"
if [ "$passed" = 1 ]; then
    # The rows between the two marks are replaced; the rest of the document is left as it is.
    awk -v table="$table" '
        /^<!-- the fault table:/ { print; while ((getline row < table) > 0) print row; skip = 1; next }
        /^<!-- end of the fault table -->/ { skip = 0 }
        !skip { print }' "$doc" >"$doc.new" && mv "$doc.new" "$doc"
    echo "written into $doc" >&2
else
    echo "$doc left as it was" >&2
fi
rm -f "$log" "$table"
