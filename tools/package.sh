#!/usr/bin/env bash
# Builds the Windows release and puts it into dist/: the installer
# drivewarden-VERSION-setup.exe, the portable drivewarden-VERSION-portable.zip, and
# a .sha256 file beside each (check with: cd dist && sha256sum -c *.sha256).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
bash tools/deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target dw_package -j "$(nproc)"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
mkdir -p dist
for artifact in "drivewarden-$version-setup.exe" "drivewarden-$version-portable.zip"; do
  cp "build/windows/package/$artifact" "build/windows/package/$artifact.sha256" dist/
done
(cd dist && sha256sum -c --quiet "drivewarden-$version"-*.sha256)
ls -l dist/drivewarden-"$version"-*
