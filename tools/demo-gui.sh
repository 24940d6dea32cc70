#!/usr/bin/env bash
# Runs the real Windows program, drivewarden.exe, under Wine on the demo drive
# (bash tools/demo.sh --gui). The drive is a copy of demo/drive with its DOS
# attributes, attached as removable drive E: of a fresh Wine prefix under
# demo-out/gui/. The program's start-up pass scans it and lists what it finds;
# a screenshot goes to demo-out/drivewarden-gui.png and the log is printed.
# Without a display the program runs on a private Xvfb and is then closed in an
# orderly way; with one it stays up until "Quitter" in its tray menu.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
. tools/wine-locale.sh
bash tools/deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target drivewarden dw_e2e_helper -j "$(nproc)" >/dev/null
exe=build/windows/src/programs/drivewarden.exe
helper=build/windows/tests/e2e/dw_e2e_helper.exe
# The end-to-end tests' prefix template: removable drives and a Wine desktop
# with its taskbar, where the tray icon shows.
python3 tests/e2e/e2e.py prepare

out=demo-out/gui
shot=demo-out/drivewarden-gui.png
rm -rf "$out" "$shot"
mkdir -p "$out"
cp -a build/windows/e2e/prefix-template "$out/prefix"
cp -r demo/drive "$out/drive"
while read -r path attributes; do
  case "$path" in '' | '#'*) continue ;; esac
  setfattr -n user.DOSATTRIB -v "\"$attributes\"" "$out/drive/$path"
done <demo/attributes.txt
echo "DEMO_STICK" >"$out/drive/.windows-label"

export WINEPREFIX=$here/$out/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine
wineserver=/usr/lib/wine/wineserver
[ -x "$wineserver" ] || wineserver=wineserver

xvfb=""
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp >"$out/xvfb-display" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$out/xvfb-display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$out/xvfb-display")"
fi

# Wine's helpers must not hold this script's output open: everything goes to files.
"$wineserver" -p </dev/null >/dev/null 2>&1
# E:, because the demo's lure shortcut leads to E:\photos.js.
"$wine" "$helper" define-drive e "$here/$out/drive" </dev/null >/dev/null 2>&1
"$wine" "$exe" </dev/null >"$out/wine.log" 2>&1 &
program=$!

data=$out/prefix/drive_c/ProgramData/Drivewarden
log_text() { cat "$data"/log/*.u.txt 2>/dev/null | iconv -f CP1252 -t UTF-8 || true; }
echo "Drivewarden runs on display $DISPLAY; waiting for its scan of the demo drive..."
found=0
for _ in $(seq 120); do
  now=$(log_text | grep -o 'Menace/' | wc -l || true)
  # The scan is over once the findings stop growing.
  if [ "$now" -gt 0 ] && [ "$now" -eq "$found" ]; then break; fi
  found=$now
  sleep 1
done
sleep 2 # the control panel paints
window=root
if [ -z "$xvfb" ]; then
  window=$(xwininfo -root -tree | awk '/Wine desktop/ { print $1; exit }')
  [ -n "$window" ] || window=root
fi
import -display "$DISPLAY" -window "$window" "$shot"

echo "The log ($data/log):"
log_text | sed 's/; */;\n/g'
echo
echo "The screenshot: $here/$shot"
if [ -n "$xvfb" ]; then
  # Its hidden main window is told to close: the settings are written, the program ends.
  "$wine" "$helper" close-main </dev/null >/dev/null 2>&1 || true
  wait "$program" || true
  echo "Drivewarden has ended."
else
  echo "Drivewarden stays in the Wine desktop window: quit it with \"Quitter\" in the menu of its"
  echo "tray icon (the shield at the bottom right)."
  wait "$program" || true
fi
