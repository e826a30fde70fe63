#!/usr/bin/env bash
# The Windows program under Wine on the demo's road (scripts/demo.sh --windows, in the
# run's own network namespace, on a private X display and a fresh Wine prefix), then
# checks what a user would see: the Log.txt header, the AI aircraft created with their
# titles and moved along their samples, a second copy refused with exit code -1 (255
# here), and a close by WM_CLOSE ending with "Exiting: USER CLOSED SIM" and exit code 0.
# Then runs the checks that need the Windows build's own UTF-16 paths (Wine itself
# cannot create a file name with an unpaired surrogate, so the walk cannot meet one here).
# Leaves everything in wine-run/, the window's screenshot as wine-run/window.png.
#   WINE_TEST_SECONDS=<n> bash scripts/wine-test.sh   (traffic time, default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
run=wine-run

SKYWEAVER_DEMO_RUN=$run DEMO_SECONDS=${WINE_TEST_SECONDS:-60} bash scripts/demo.sh --windows

echo
echo "--- checks of the Windows build's own paths (under Wine)"
windows_checks=0
scripts/netns-run.sh bash -c 'source scripts/wine-lib.sh && wine_start && trap wine_stop EXIT &&
    wine build-windows/path_text_checks.exe' || windows_checks=$?

failures=0
check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok:     $what"
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}

header_ok() {
    head -n 1 "$run/Log.txt" | grep -qE '^.+ \(utc\) Skyweaver version [0-9]+\.[0-9]+\.[0-9]+ for MSFS 2020/2024$'
}

# The object with this title was created and moved: two different positions in the trace.
aircraft_moved() {
    local title=$1
    tail -n +2 "$run/sim-trace.csv" | awk -F, -v title="$title" \
        '$2 > 2 && $3 == title { positions[$5 "," $6] = 1 } END { exit length(positions) >= 2 ? 0 : 1 }'
}

file_says() { [ "$(cat "$run/$1" 2>/dev/null)" = "$2" ]; }

is_png() { [ "$(head -c 8 "$run/window.png" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]; }

echo
echo "--- checks"
check "Log.txt begins with its header" header_ok
check "A220 of Swiss created and moved" aircraft_moved "Airbus A220-300 Swiss HB-JCA"
check "A320 of Lufthansa created and moved" aircraft_moved "Airbus A320 Lufthansa D-AIPA"
check "a second copy is refused with exit code -1" file_says second-copy-exit-code 255
check "WM_CLOSE ends the run as a user close" grep -q "^Exiting: USER CLOSED SIM$" "$run/Log.txt"
check "the program ends with exit code 0" file_says exit-code 0
check "the AI flight plans' folder is removed at the close" \
    bash -c "! grep -q '^gf_removeFlightPlanFolder' '$run/Log.txt'"
check "window screenshot in $run/window.png" is_png
check "the Windows build's path checks pass" [ "$windows_checks" = 0 ]
if [ "$failures" -gt 0 ]; then
    echo "Wine run: $failures check(s) failed"
    exit 1
fi
echo "Wine run: all checks passed"
