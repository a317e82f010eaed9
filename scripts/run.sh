#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on the sample bank.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
build="${QUORVEX_BUILD_DIR:-$here/build}"
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:-} --no-sandbox"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting the program under Xvfb."
  exec xvfb-run -a -s "-screen 0 1280x900x24" "$build/program/quorvex"
fi
exec "$build/program/quorvex"
