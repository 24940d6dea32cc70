#!/usr/bin/env bash
# Builds the command-line scanner and runs it on a demo drive made from demo/drive:
# harmless files that carry the traces autorun malware leaves on a USB stick.
# First a dry run (nothing changes), then the real scan that quarantines what it
# finds, then the quarantine is listed. Everything happens under demo-out/.
# Then the Windows program itself runs under Wine on the same drive
# (tools/demo-gui.sh). --cli runs only the scanner's part, --gui only the program's.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
case "${1:-}" in
  --gui) exec bash tools/demo-gui.sh ;;
  --cli | '') ;;
  *) echo "usage: bash tools/demo.sh [--cli|--gui]" >&2; exit 2 ;;
esac
bash tools/deps.sh native
cmake --preset linux >/dev/null
cmake --build --preset linux --target drivewarden-cli -j "$(nproc)" >/dev/null
cli=build/linux/src/programs/drivewarden-cli

out=demo-out
rm -rf "$out"
mkdir -p "$out/data"
cp -r demo/drive "$out/drive"
while read -r path attributes; do
  case "$path" in ''|'#'*) continue ;; esac
  setfattr -n user.DOSATTRIB -v "\"$attributes\"" "$out/drive/$path"
done < demo/attributes.txt

run() {
  echo "\$ drivewarden-cli $*"
  "$cli" "$@" || true
  echo
}
run scan --dry-run --data-dir "$out/data" "$out/drive"
run scan --threats quarantine --suspicious quarantine --data-dir "$out/data" "$out/drive"
# The scan took the worm away; the repair gives back what it hid (Holidays). On a
# fresh copy, since nothing of the worm is left on this one to tell it was there.
rm -rf "$out/repaired"
cp -r demo/drive "$out/repaired"
while read -r path attributes; do
  case "$path" in ''|'#'*) continue ;; esac
  setfattr -n user.DOSATTRIB -v "\"$attributes\"" "$out/repaired/$path"
done < demo/attributes.txt
run repair --data-dir "$out/data" "$out/repaired"
echo "The repaired drive holds: $(cd "$out/repaired" && ls -A | tr '\n' ' ')"
run quarantine list --data-dir "$out/data"
echo "The drive now holds: $(cd "$out/drive" && ls -A | tr '\n' ' ')"
echo "The log: $(cat "$out"/data/log/*.u.txt)"
if [ "${1:-}" != --cli ]; then
  echo
  echo "Now the Windows program under Wine, on a fresh copy of the same drive:"
  bash tools/demo-gui.sh
fi
