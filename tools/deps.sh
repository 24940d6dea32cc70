#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the demo need,
# when any of them is missing. Needs root (or sudo) only when it installs.
set -euo pipefail
# "native" asks only for what the Linux build needs.
pkgs=(cmake ninja-build g++ googletest nlohmann-json3-dev attr)
if [ "${1:-all}" != native ]; then
  pkgs+=(python3 libgtest-dev libgmock-dev libbenchmark-dev g++-mingw-w64-x86-64-posix
         wine64 wine xvfb fonts-wine imagemagick xauth x11-utils nsis)
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
