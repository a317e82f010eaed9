#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need; skips what is there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format git
  qt6-base-dev qt6-webengine-dev qt6-webengine-dev-tools libqt6webenginecore6-bin
  libqt6sql6-psql libqt6sql6-odbc tdsodbc libgl-dev
  libsqlcipher-dev sqlcipher
  fonts-noto-cjk
  postgresql
  xvfb xauth imagemagick xdotool
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
