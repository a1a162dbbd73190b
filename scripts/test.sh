#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test (ctest).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh
cd "${BUILD_DIR:-build}"
ctest --output-on-failure -j "$(nproc)" "$@"
