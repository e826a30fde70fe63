#!/usr/bin/env bash
# The soak: 2,000 aircraft in the feed for simulated minutes (default 60) through the traffic
# parser, the main loop's tick and the simulated simulator on its stepped clock, held to the
# live and static limits, the time limits of the passing states and flat memory. Prints the
# figures of every simulated minute and the result.
#   scripts/soak.sh [minutes] [build folder]      (defaults: 60, build)
# The build folder is configured as RelWithDebInfo unless it exists already (Release or
# RelWithDebInfo both do); JOBS sets the build's parallel jobs (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-60}
build=${2:-build}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j "${JOBS:-2}" --target soak_test
started=$SECONDS
status=0
SKYWEAVER_SOAK_MINUTES=$minutes "$build/tests/soak_test" --gtest_color=no || status=$?
if [ "$status" -eq 0 ]; then
    echo "soak: ${minutes} simulated minutes passed in $((SECONDS - started)) s"
else
    echo "soak: ${minutes} simulated minutes FAILED (exit $status) after $((SECONDS - started)) s"
fi
exit "$status"
