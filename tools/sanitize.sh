#!/usr/bin/env bash
# Builds the native tests under AddressSanitizer and UndefinedBehaviorSanitizer, then
# under ThreadSanitizer, and runs them (CI does this after tools/test.sh).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
bash tools/deps.sh native
jobs=$(nproc)

for preset in linux-asan linux-tsan; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
