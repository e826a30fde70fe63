#!/usr/bin/env bash
# Runs every test program once as one process with its tests in a shuffled order, so that a
# test that depends on another's leftovers fails here even though CTest (one test per
# process) passes. Each program runs in a network namespace of its own (scripts/netns-run.sh)
# and in a working folder of its own; several run at once (at most nproc, or JOBS).
#   scripts/shuffled-tests.sh [build folder]      (default: build)
#   SEED=n scripts/shuffled-tests.sh              repeats the order of an earlier run
# Prints the seed, one line per program and each failing program's failures; exits non-zero
# when any program fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(cd "${1:-build}" && pwd)
seed=${SEED:-$((RANDOM % 99999 + 1))}
jobs=${JOBS:-$(nproc)}
limit=${SHUFFLE_TIMEOUT:-900}
results=$build/shuffled-tests

# Without private namespaces the programs that use the fixed ports must not overlap.
if ! scripts/netns-run.sh true 2>&1 | cmp -s - /dev/null; then
    echo "shuffled tests: no private network namespaces, so one program at a time"
    jobs=1
fi

programs=()
# The end-to-end program takes longest: it starts first.
for program in "$build"/tests/tests_e2e "$build"/tests/tests_*; do
    if [ -f "$program" ] && [ -x "$program" ] && [[ ! " ${programs[*]} " == *" $program "* ]]; then
        programs+=("$program")
    fi
done
if [ ${#programs[@]} -eq 0 ]; then
    echo "shuffled tests: no test programs in $build/tests" >&2
    exit 1
fi

rm -rf "$results"
mkdir -p "$results"
echo "shuffled tests: seed $seed, ${#programs[@]} programs, $jobs at a time (logs in $results)"

# One program in its own folder; its exit code and time go to <name>.status.
run_program() {
    local program=$1 name started
    name=$(basename "$program")
    started=$SECONDS
    mkdir -p "$results/$name"
    local status=0
    (cd "$results/$name" && timeout --kill-after=10 "$limit" "$root/scripts/netns-run.sh" "$program" \
        --gtest_shuffle --gtest_random_seed="$seed" --gtest_color=no >"$results/$name.log" 2>&1) || status=$?
    echo "$status $((SECONDS - started))" >"$results/$name.status"
}

running=0
for program in "${programs[@]}"; do
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
    run_program "$program" &
    running=$((running + 1))
done
wait

passed=0
failed=0
for program in "${programs[@]}"; do
    name=$(basename "$program")
    read -r status seconds <"$results/$name.status"
    if [ "$status" -eq 0 ]; then
        passed=$((passed + 1))
        echo "  ok      $name (${seconds} s)"
        continue
    fi
    failed=$((failed + 1))
    if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
        echo "  FAILED  $name: no end within $limit s"
    else
        echo "  FAILED  $name (exit $status, ${seconds} s)"
    fi
    grep -E '^\[  FAILED  \] .*\(' "$results/$name.log" | sed 's/^/          /' || true
    echo "          last lines of $results/$name.log:"
    tail -n 5 "$results/$name.log" | sed 's/^/            /'
    echo "          again: $program --gtest_shuffle --gtest_random_seed=$seed"
done
echo "shuffled test programs: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
