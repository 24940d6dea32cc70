#!/usr/bin/env bash
# Creates the Wine prefix the Windows tests run in (once), and starts a persistent
# wineserver so that Wine's helper processes do not hold CTest's output pipe open.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$here/tools/wine-locale.sh"
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -u >/dev/null 2>&1 || true
  wineserver -w || true
fi
# Wine's own Tahoma and Marlett (fonts-wine) are not found where Debian puts them, so
# Tahoma would be drawn with a wider substitute and the caption buttons as letters.
# In the prefix's Fonts folder Wine loads them, and screenshots show the metrics
# Windows users see. A prefix that gains them is marked changed, so that the
# end-to-end template made from it is made again.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
  if [ -f "/usr/share/wine/fonts/$font" ] && [ ! -f "$fonts/$font" ]; then
    mkdir -p "$fonts"
    cp "/usr/share/wine/fonts/$font" "$fonts/"
    touch "$WINEPREFIX/system.reg"
  fi
done
wineserver -p >/dev/null 2>&1 </dev/null || true
# Start Wine's own services now, with nothing to inherit, rather than in the first test.
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine
"$wine" cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
