#!/usr/bin/env bash
# Builds the program, its tools and its tests under a sanitizer and runs the whole suite,
# the end-to-end tests included.
#   scripts/sanitize.sh tsan   ThreadSanitizer (g++) in build-tsan/
#   scripts/sanitize.sh asan   AddressSanitizer + UndefinedBehaviorSanitizer (clang++) in build-asan/
# Every report fails the run, also one from a program that a test starts: each process
# writes its reports into <build dir>/sanitizer-reports/, which must stay empty.
# Left out: the tests labelled "real-time" (wall-clock margins that hold only at full speed;
# tests/real_time_tests.cmake lists them).
# On fewer than 4 cores the whole suite does not fit CI's time: only the programs where threads,
# lifetimes and the long run meet are built and run (SMALL_MACHINE_PROGRAMS below; the script
# prints what it leaves out); SKYWEAVER_SANITIZE_ALL=1 runs everything anyway. Under ASan the
# short run of the simulated day (tests/soak) follows the suite.
# SKYWEAVER_JOBS sets how many compile jobs and tests run at once (default: nproc). The property
# tests run fewer cases than in the plain run (SKYWEAVER_SANITIZE_RC_CASES, default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

kind=${1:-}
jobs=${SKYWEAVER_JOBS:-$(nproc)}
root=$PWD
options=()
case "$kind" in
tsan)
    cc=gcc cxx=g++
    flags="-fsanitize=thread -fno-omit-frame-pointer"
    ;;
asan)
    # One clang build serves the suite and the fuzz targets (scripts/fuzz.sh): the
    # SKYWEAVER_FUZZ option adds the same sanitizers to every target.
    cc=clang-14 cxx=clang++-14
    flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
    if grep -q "option(SKYWEAVER_FUZZ" CMakeLists.txt; then
        flags=""
        options=(-DSKYWEAVER_FUZZ=ON)
    fi
    ;;
*)
    echo "usage: scripts/sanitize.sh tsan|asan" >&2
    exit 2
    ;;
esac
build=build-$kind
reports=$root/$build/sanitizer-reports

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$flags" -DSKYWEAVER_BENCHMARKS=OFF \
    -DSKYWEAVER_RC_PARAMS="seed=20261208 max_success=${SKYWEAVER_SANITIZE_RC_CASES:-20} verbose_progress=0" \
    -DSKYWEAVER_RC_SLOW_PARAMS="seed=20261208 max_success=2 verbose_progress=0" \
    "${options[@]}" "${launcher[@]}" >/dev/null
# The test programs named after their folders (each also a CTest label).
small_machine_programs=(e2e engine parking simlink app)
subset=()
if [ "$(nproc)" -lt 4 ] && [ -z "${SKYWEAVER_SANITIZE_ALL:-}" ]; then
    subset=("${small_machine_programs[@]}")
    left_out=()
    for dir in tests/*/; do
        name=$(basename "$dir")
        case " support soak ${subset[*]} " in *" $name "*) continue ;; esac
        compgen -G "$dir*.cpp" >/dev/null && left_out+=("tests_$name")
    done
    day=""
    [ "$kind" = asan ] && day=" and the simulated day's short run"
    echo "$kind on $(nproc) cores: runs$(printf ' tests_%s' "${subset[@]}")$day; leaves out ${left_out[*]}"
fi
targets=()
if [ ${#subset[@]} -gt 0 ]; then
    targets=(--target skyweaver soak_test)
    for name in "${subset[@]}"; do targets+=("tests_$name"); done
fi
cmake --build "$build" --parallel "$jobs" "${targets[@]}"

rm -rf "$reports"
mkdir -p "$reports"
supp=$root/scripts/sanitizers
export TSAN_OPTIONS="log_path=$reports/tsan:suppressions=$supp/tsan.supp:second_deadlock_stack=1:history_size=4"
export ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp"
export UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1:halt_on_error=1"

status=0
labels=()
if [ ${#subset[@]} -gt 0 ]; then
    pattern=$(IFS='|'; echo "${subset[*]}")
    labels=(--label-regex "^($pattern)\$")
fi
(cd "$build" && ctest --output-on-failure --parallel "$jobs" --timeout 300 --label-exclude real-time "${labels[@]}") ||
    status=$?
# The simulated day's short run: the day reset, UTC midnight and the stands' events once.
if [ "$kind" = asan ]; then
    (cd "$build" && SKYWEAVER_SOAK_MINUTES=${SKYWEAVER_SOAK_SHORT_MINUTES:-7} timeout 900 tests/soak_test \
        --gtest_color=no) || status=$?
fi
if compgen -G "$reports/*" >/dev/null; then
    echo "=== sanitizer reports:"
    for f in "$reports"/*; do
        echo "--- $f"
        cat "$f"
    done
    status=1
fi
exit "$status"
