#!/usr/bin/env bash
# Sets up, builds and starts the program in a fresh working folder (demo-run/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
rm -rf demo-run && mkdir -p demo-run/docs
cd demo-run
../build/skyweaver || true
echo "--- Log.txt"
cat Log.txt
