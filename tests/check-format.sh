#!/usr/bin/env bash
# Fails when a C++ file of the repository is not formatted as .clang-format says.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null; then
  echo "clang-format is not installed"
  exit 1
fi
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tools tests bench -name '*.cpp' -o -name '*.h')
clang-format --dry-run -Werror $files
echo "formatting ok"
