#!/usr/bin/env bash
# The demo: builds the program, assembles a working folder (demo-run/) from demo/, starts
# skyweaver on the simulated simulator (the user parked at Zurich), replays the recorded
# traffic around it with the traffic feeder, and shows what happened: the simulator's
# objects and their tracks, the log, and a PNG of the window.
#   DEMO_SECONDS=<n> bash scripts/demo.sh [--windows]   (traffic time to watch, default 100)
# DEMO_FEEDER, when set, is the command that feeds the program in place of the replay of the
# recorded traffic (the flood stage of scripts/flood.sh sends mutated datagrams with it).
# With --windows the program is the Windows one (skyweaver.exe with the simulated
# simulator's SimConnect.dll) under Wine, on a private X display and a fresh Wine
# prefix; a second copy is started once to see it refused, and the window is closed
# as a user closes it (WM_CLOSE). SKYWEAVER_DEMO_RUN names the working folder.
# The run has a network namespace of its own where the machine allows it, so a test run
# beside it never meets the program's ports.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
seconds=${DEMO_SECONDS:-100}
windows=
[ "${1:-}" = --windows ] && windows=1
if [ -z "${SKYWEAVER_DEMO_BUILT:-}" ]; then
    if [ -n "$windows" ]; then
        bash scripts/windows-build.sh >/dev/null
        bash scripts/build.sh encrypt_datafile traffic_feeder park_file_maker
    else
        bash scripts/build.sh skyweaver encrypt_datafile traffic_feeder park_file_maker
    fi
    SKYWEAVER_DEMO_BUILT=1 exec scripts/netns-run.sh bash "$0" "$@"
fi

run=$repo/${SKYWEAVER_DEMO_RUN:-demo-run}
appdata=$run/appdata-root
rm -rf "$run"
mkdir -p "$run/docs" "$run/input" "$run/output" "$appdata/MSFS/Community"
for data in dbase airports AIG-regcodes; do
    build/tools/encrypt_datafile "demo/$data.xml" "$run/input/$data.enc"
done
cp demo/LiveriesScanned.xml "$run/output/"
# Zurich's stands as an add-on park file, searched before the archived ones: static aircraft
# stand there whenever the demo runs.
mkdir -p "$run/airports/my_simaddon"
build/tools/park_file_maker demo/LSZH.stands "$run/airports/my_simaddon/LSZH.xml"

program=
feeder=
stop() {
    [ -n "$feeder" ] && kill "$feeder" 2>/dev/null || true
    if [ -n "$program" ]; then
        kill -TERM "$program" 2>/dev/null || true
        wait "$program" 2>/dev/null || true
    fi
    if [ -n "$windows" ]; then wine_stop; fi
}
trap stop EXIT

if [ -n "$windows" ]; then
    source scripts/wine-lib.sh
    wine_start
    roaming=$(wine_appdata)
    packages=$(wine_path "$appdata/MSFS")
    export SKYWEAVER_SIM_SCENARIO=$(wine_path "$repo/demo/sim.scenario")
    export SKYWEAVER_SIM_TRACE=$(wine_path "$run/sim-trace.csv")
    start_program() { exec wine "$repo/build-windows/skyweaver.exe"; }
else
    roaming=$appdata/AppData/Roaming
    packages=$appdata/MSFS
    export SKYWEAVER_STANDIN_ROOT=$appdata
    export SKYWEAVER_SIM_SCENARIO=$repo/demo/sim.scenario
    export SKYWEAVER_SIM_TRACE=$run/sim-trace.csv
    export SKYWEAVER_WINDOW_PNG=$run/window.png
    start_program() { exec "$repo/build/skyweaver"; }
fi
mkdir -p "$roaming/Skyweaver"
sed "s|@PACKAGES@|${packages//\\/\\\\}|" demo/parameters.xml >"$roaming/Skyweaver/parameters.xml"

cd "$run"
# The program replaces the background shell, so $! is the program itself.
start_program &
program=$!

# The program takes traffic once its main loop runs: after it has waited for traffic in vain.
echo "Starting skyweaver in $run ..."
ready=
for _ in $(seq 1 240); do
    if grep -q "No traffic in this region?" Log.txt 2>/dev/null; then ready=1; break; fi
    kill -0 "$program" 2>/dev/null || break
    sleep 0.5
done
if [ -z "$ready" ]; then
    echo "skyweaver did not reach its main loop; this is what it logged:"
    cat Log.txt 2>/dev/null || true
    exit 1
fi

if [ -n "${DEMO_FEEDER:-}" ]; then
    echo "Main loop runs; feeding it with $DEMO_FEEDER for $seconds s ..."
    bash -c "exec $DEMO_FEEDER" >feeder.log 2>&1 &
else
    echo "Main loop runs; replaying demo/traffic.scenario for $seconds s ..."
    "$repo/build/tools/traffic_feeder" "$repo/demo/traffic.scenario" >feeder.log 2>&1 &
fi
feeder=$!
for second in $(seq 1 "$seconds"); do
    sleep 1
    if [ $((second % 10)) -eq 0 ] && [ -f sim-trace.csv ]; then
        objects=$(tail -n +2 sim-trace.csv | awk -F, '$2 > 2 {print $2}' | sort -u | wc -l)
        echo "  ${second} s: $objects AI aircraft in the simulator so far"
    fi
done

kill "$feeder" 2>/dev/null || true
feeder=
status=0
if [ -n "$windows" ]; then
    wine_screenshot Skyweaver window.png || echo "no screenshot of the window"
    echo "Starting a second copy (it must refuse to run) ..."
    second=0
    (start_program) || second=$?
    echo "$second" >second-copy-exit-code
    echo "  the second copy ended with exit code $second"
    echo "Closing skyweaver (WM_CLOSE) ..."
    wine "$repo/build-windows/close_window.exe" Skyweaver
else
    echo "Closing skyweaver (SIGTERM) ..."
    kill -TERM "$program"
fi
wait "$program" || status=$?
program=
echo "$status" >exit-code
echo "skyweaver ended with exit code $status"
stop
trap - EXIT

echo
echo "--- AI aircraft the program created in the simulator (from sim-trace.csv)"
tail -n +2 sim-trace.csv | awk -F, '$2 > 2 {
    if (!($2 in first)) { first[$2] = $1; title[$2] = $3; tail[$2] = $4; start[$2] = $5 "," $6 " " $7 " ft"; order[++n] = $2 }
    last[$2] = $1; end[$2] = $5 "," $6 " " $7 " ft"; rows[$2]++ }
    END { for (i = 1; i <= n; i++) { id = order[i];
        printf "object %s  %-40s %-7s  seen %s..%s s  from %s  to %s\n", id, title[id], tail[id], first[id], last[id], start[id], end[id] } }'
echo
echo "--- Log.txt"
cat Log.txt
echo
echo "Simulator trace: $run/sim-trace.csv"
[ -f window.png ] && echo "Window:          $run/window.png"
