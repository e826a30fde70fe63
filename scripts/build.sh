#!/usr/bin/env bash
# Configures and builds in build/: everything (program, tests, benchmarks, tools), or only
# the targets named on the command line.
#   scripts/build.sh [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
targets=()
[ $# -gt 0 ] && targets=(--target "$@")
cmake --build build --parallel "$(nproc)" "${targets[@]}"
