#!/usr/bin/env bash
# Sets up the machine, builds Corvane and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh
if [ ! -x "${BUILD_DIR:-build}/app/corvane" ]; then
  echo "The desktop program is not built yet; the core libraries and their tests are." >&2
  exit 1
fi
exec "${BUILD_DIR:-build}/app/corvane" "$@"
