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
ctest --preset windows -j "$jobs" -E '^e2e\.'
# An end-to-end case that fails is run once more before it counts: on a loaded
# machine some have found the started program without its windows, or not
# answering, for a while (cause not yet known). Both runs show in the output.
ctest --preset windows -j "$jobs" -R '^e2e\.' --repeat until-pass:2
