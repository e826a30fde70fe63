#!/usr/bin/env bash
# Sets up, builds and runs all tests (after the Release build of every target, warnings
# being errors there; by CTest, one test per process, then each test program
# as one process in a shuffled order, then the simulated day's short run, then the program
# under a minute's flood of mutated datagrams), including
# the Windows build (MinGW-w64), the whole suite under ThreadSanitizer and under
# AddressSanitizer with UndefinedBehaviorSanitizer, the fuzz targets over their seed corpora
# (in the ASan build the suite ran in) and the Windows program under Wine on the demo's road.
# Each stage prints its time; the first failing stage ends the run with its exit code.
set -euo pipefail
cd "$(dirname "$0")/.."

stage() {
    local name=$1 started=$SECONDS
    shift
    echo "=== ${name} ..."
    "$@"
    echo "=== ${name}: $((SECONDS - started)) s"
}

run_ctest() (
    cd build
    ctest --output-on-failure --parallel "$(nproc)" --timeout 300
)

# The simulated day's short run: seven minutes around midnight with the day reset and the
# stands' events (scripts/soak.sh 1440 runs the whole day).
run_short_soak() {
    SKYWEAVER_SOAK_MINUTES=7 timeout 600 build/tests/soak_test --gtest_color=no
}

total=$SECONDS
stage "build" bash scripts/build.sh
stage "Windows build" bash scripts/windows-build.sh
stage "Release build of every target" env BENCH_JOBS="$(nproc)" bash scripts/bench.sh --build-only
stage "tests (ctest)" run_ctest
stage "tests as shuffled processes" bash scripts/shuffled-tests.sh
stage "simulated day, short run" run_short_soak
stage "flood of mutated datagrams, 60 s" bash scripts/flood.sh
stage "tests under ThreadSanitizer" bash scripts/sanitize.sh tsan
stage "tests under AddressSanitizer and UndefinedBehaviorSanitizer" bash scripts/sanitize.sh asan
stage "fuzz targets over their seeds" bash scripts/fuzz.sh --ci
stage "Wine run" bash scripts/wine-test.sh
echo "=== all stages: $((SECONDS - total)) s"
