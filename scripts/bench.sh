#!/usr/bin/env bash
# Runs every benchmark program (not part of the tests' pass or fail).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
for b in build/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" "$@"
done
