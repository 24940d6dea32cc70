#!/usr/bin/env bash
# Creates the Wine prefix the Windows tests run in (once), and starts a persistent
# wineserver so that Wine's helper processes do not hold CTest's output pipe open.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -u >/dev/null 2>&1 || true
  wineserver -w || true
fi
wineserver -p >/dev/null 2>&1 </dev/null || true
