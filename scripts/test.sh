#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
build="${QUORVEX_BUILD_DIR:-$here/build}"
cd "$build"
ctest --output-on-failure -j "${QUORVEX_JOBS:-$(nproc)}" "$@"
