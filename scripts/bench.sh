#!/usr/bin/env bash
# Builds the benchmark programs in Release (build-release, warnings are errors), runs them all
# (not part of the tests' pass or fail) and prints one table: each figure, its floor measured
# in the same run, the ratio and the goal. Extra arguments go to every program.
# BENCH_JOBS sets the build's parallel jobs (default 2, the machine is shared).
# --build-only builds every target in Release and stops (CI's check that the Release build,
# whose optimiser warns about more than the others, stays warning-free).
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DSKYWEAVER_WERROR=ON "${launcher[@]}" >/dev/null
if [ "${1:-}" = --build-only ]; then
  cmake --build build-release -j "${BENCH_JOBS:-2}"
  exit 0
fi
targets=()
for source in bench/*.cpp; do
  targets+=(--target "bench_$(basename "$source" .cpp)")
done
cmake --build build-release -j "${BENCH_JOBS:-2}" "${targets[@]}"
results=build-release/bench-results
rm -rf "$results"
mkdir -p "$results"
for b in build-release/bench/bench_*; do
  [ -x "$b" ] || continue
  name=$(basename "$b")
  echo "== ${name}"
  "$b" --benchmark_out="$results/${name#bench_}.json" --benchmark_out_format=json "$@"
done
echo
python3 scripts/bench_table.py "$results"
