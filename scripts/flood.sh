#!/usr/bin/env bash
# The program under a flood: the demo's program run in its own network namespace, fed for
# FLOOD_SECONDS (default 60) with mutated datagrams at full rate on both UDP ports from one
# sender per processor (tools/datagram_flood), then closed as a user closes it. It passes when
# the program closes with exit code 0, Log.txt stays under 1 MB, none of its lines is longer
# than 1000 bytes (a fault line quotes at most 200 characters of a datagram), it holds exactly one
# "Exiting:" line and no control byte but tab (forged lines in the datagrams stay inside the line
# that quotes them). Half the traffic datagrams are valid lines near the demo's user at Zurich
# with over-long fields and control bytes. The run is kept in
# build/flood-run/, the demo's report of it in build/flood-run.txt.
#   FLOOD_SECONDS=<n> bash scripts/flood.sh
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FLOOD_SECONDS:-60}
run=build/flood-run
report=build/flood-run.txt
if [ -z "${SKYWEAVER_DEMO_BUILT:-}" ]; then
    bash scripts/build.sh skyweaver encrypt_datafile traffic_feeder park_file_maker datagram_flood
fi

status=0
SKYWEAVER_DEMO_BUILT=1 SKYWEAVER_DEMO_RUN=$run DEMO_SECONDS=$seconds \
    DEMO_FEEDER="$PWD/build/tools/datagram_flood --seconds $seconds --senders $(nproc)" \
    scripts/netns-run.sh bash scripts/demo.sh >"$report" 2>&1 || status=$?

log_bytes=$(stat -c %s "$run/Log.txt" 2>/dev/null || echo 0)
longest_line=$(LC_ALL=C awk '{ if (length($0) > n) n = length($0) } END { print n + 0 }' "$run/Log.txt" 2>/dev/null || echo 0)
exiting_lines=$(grep -c '^Exiting: ' "$run/Log.txt" 2>/dev/null || true)
control_bytes=$(LC_ALL=C tr -d '\t\n\040-\176\200-\377' <"$run/Log.txt" 2>/dev/null | wc -c || echo 0)
exit_code=$(cat "$run/exit-code" 2>/dev/null || echo none)
echo "$(cat "$run/feeder.log" 2>/dev/null || echo "no flood report"); Log.txt: $log_bytes bytes," \
    "longest line $longest_line bytes, $exiting_lines \"Exiting:\" lines, $control_bytes control bytes;" \
    "exit code: $exit_code"
failed=
[ "$status" -eq 0 ] || failed="the demo run failed ($status)"
[ "$exit_code" = 0 ] || failed="the program did not close cleanly (exit code $exit_code)"
[ "$longest_line" -le 1000 ] || failed="Log.txt has a line of $longest_line bytes"
[ "$log_bytes" -gt 0 ] && [ "$log_bytes" -lt 1000000 ] || failed="Log.txt is $log_bytes bytes"
[ "${exiting_lines:-0}" = 1 ] || failed="Log.txt has $exiting_lines \"Exiting:\" lines, not one"
[ "$control_bytes" -eq 0 ] || failed="Log.txt holds $control_bytes control bytes besides tabs and line ends"
if [ -n "$failed" ]; then
    echo "flood: $failed; the run's report:"
    tail -n 80 "$report"
    exit 1
fi
grep -E "more like this|Exiting: " "$run/Log.txt" | tail -n 6
