#!/usr/bin/env bash
# Runs the property tests with fresh seeds for as long as asked, one round after another,
# and stops at the first breach: RapidCheck prints the shortest failing sequence and the
# RC_PARAMS that replay it.
#   scripts/explore.sh [minutes] [gtest filter] [build folder]   (defaults: 30, *, build)
# CASES sets the sequences per round (default 200).
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-30}
filter=${2:-*}
build=${3:-build}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j "${JOBS:-2}" --target tests_properties
program=$build/tests/tests_properties
deadline=$((SECONDS + minutes * 60))
round=0
while [ "$SECONDS" -lt "$deadline" ]; do
    round=$((round + 1))
    seed=$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')
    echo "=== round $round, seed $seed"
    if ! RC_PARAMS="seed=$seed max_success=${CASES:-200} verbose_progress=0" \
        "$program" --gtest_filter="$filter" --gtest_color=no >"$build/explore-last.log" 2>&1; then
        cat "$build/explore-last.log"
        echo "explore: breach in round $round (seed $seed) after $SECONDS s"
        exit 1
    fi
    grep -E '^\[ +(OK|PASSED) +\]' "$build/explore-last.log" | tail -n 1
done
echo "explore: $round rounds with fresh seeds, no breach, in $SECONDS s"
