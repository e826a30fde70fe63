#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang-14, ASan and UBSan in build-asan/ (the
# sanitizer build, configured with SKYWEAVER_FUZZ) and runs every target, SKYWEAVER_JOBS (default
# nproc) at a time; the build uses as many jobs.
#   scripts/fuzz.sh [seconds]   explore: each target for the seconds (default 60), growing its
#                               corpus in build-asan/fuzz/corpus/<target>/
#   scripts/fuzz.sh --ci        each target over its seed corpus only: -seed=1, 30 s; with fewer
#                               jobs than a third of the targets the seconds shrink (not below 10)
#                               so the stage keeps to about 90 s of running
# Any crash, leak, time-out (1 s per input), memory use above 2 GB or sanitizer report fails
# the run; the input is kept in build-asan/fuzz/findings/<target>/ and its report printed.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=explore
seconds=60
if [ "${1:-}" = "--ci" ]; then
    mode=ci
    seconds=30
elif [ $# -gt 0 ]; then
    seconds=$1
fi

jobs=${SKYWEAVER_JOBS:-$(nproc)}
bash scripts/install-deps.sh
build=build-asan
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DSKYWEAVER_FUZZ=ON "${launcher[@]}" >/dev/null

targets=()
for source in fuzz/*.cpp; do
    targets+=("fuzz_$(basename "$source" .cpp)")
done
cmake --build "$build" --parallel "$jobs" --target fuzz_seeds "${targets[@]}"

if [ "$mode" = ci ]; then
    rounds=$(((${#targets[@]} + jobs - 1) / jobs))
    if [ "$rounds" -gt 3 ]; then
        seconds=$((90 / rounds > 10 ? 90 / rounds : 10))
    fi
fi

# Seed corpora from the fixture builders, made fresh so they follow the formats.
work="$PWD/$build/fuzz"
rm -rf "$work/seeds" "$work/findings" "$work/logs"
mkdir -p "$work/seeds" "$work/findings" "$work/logs"
"$build/tools/fuzz_seeds" "$work/seeds"

# One target: the seeds (and in exploration the grown corpus), its dictionary when there is one.
run_target() {
    local target=$1 name=${1#fuzz_}
    local corpus="$work/corpus/$name"
    [ "$mode" = ci ] && corpus="$work/ci-corpus/$name" && rm -rf "$corpus"
    mkdir -p "$corpus" "$work/findings/$name" "$work/seeds/$name"
    local options=(-max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 -detect_leaks=1
        -print_final_stats=1 -artifact_prefix="$work/findings/$name/")
    [ "$mode" = ci ] && options+=(-seed=1)
    [ -f "fuzz/dict/$name.dict" ] && options+=(-dict="$PWD/fuzz/dict/$name.dict")
    if "$build/fuzz/$target" "${options[@]}" "$corpus" "$work/seeds/$name" >"$work/logs/$name.log" 2>&1; then
        echo "$name: $(summary "$work/logs/$name.log")"
    else
        echo "$name: FAILED"
        tail -n 60 "$work/logs/$name.log"
        return 1
    fi
}

# Executions per second and the final coverage of a run, from libFuzzer's log.
summary() {
    local stats last
    stats=$(grep -E "^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)" "$1" | tr '\n' ' ')
    last=$(grep -E "#[0-9]+.*cov: " "$1" | tail -n 1 | grep -oE "cov: [0-9]+ ft: [0-9]+" || true)
    echo "${last} ${stats}"
}
export -f run_target summary
export build work mode seconds

printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_target {}'
