#!/usr/bin/env bash
# Builds everything for Linux and for Windows and runs every test: natively, then
# the same tests under Wine.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
bash tools/deps.sh
jobs=$(nproc)

cmake --preset linux -DDW_WERROR=ON >/dev/null
cmake --build --preset linux -j "$jobs"
ctest --preset linux -j "$jobs"

cmake --preset windows -DDW_WERROR=ON >/dev/null
cmake --build --preset windows -j "$jobs"
bash tools/wine-prefix.sh
ctest --preset windows -j "$jobs"
