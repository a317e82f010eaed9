#!/usr/bin/env bash
# Configures and builds into build/ (or $QUORVEX_BUILD_DIR).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${QUORVEX_BUILD_DIR:-$here/build}"
jobs="${QUORVEX_JOBS:-$(nproc)}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$jobs"
