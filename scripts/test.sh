#!/usr/bin/env bash
# Sets up, builds and runs all tests, including the Windows compile check.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
bash scripts/windows-check.sh
cd build
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
