#!/usr/bin/env bash
# Measures the command-line scanner on two hostile sticks (Linux build):
#  1. one folder of 200,000 files of which 2,000 are hidden system programs: the
#     longest of a listing scan, a deleting scan and a quarantining scan, each on a
#     fresh copy of the stick (a disposal takes the findings away);
#  2. a 2 GB autorun.inf (a sparse file): the scan's peak memory (/usr/bin/time -v).
# Everything happens under build/bench-hostile/; the figures go to the README.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
out=$here/build/bench-hostile
files=${DW_BENCH_FILES:-200000}
findings=${DW_BENCH_FINDINGS:-2000}

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target drivewarden-cli -j "$(nproc)" >/dev/null
cli=$here/build/bench/src/programs/cli/drivewarden-cli
[ -x "$cli" ] || cli=$(find "$here/build/bench" -name drivewarden-cli -type f | head -1)

rm -rf "$out"
mkdir -p "$out"

# One folder: plain files, and among them hidden system programs that rule 3 reports.
make_stick() {
  python3 - "$1" "$files" "$findings" <<'PY'
import os, sys
folder, files, findings = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
os.makedirs(folder)
step = files // findings
for i in range(files):
    worm = i % step == 0 and i // step < findings
    path = os.path.join(folder, f"w{i:06d}.exe" if worm else f"f{i:06d}.txt")
    os.close(os.open(path, os.O_WRONLY | os.O_CREAT, 0o644))
    if worm:
        os.setxattr(path, "user.DOSATTRIB", b"0x6")
PY
}

seconds() { python3 -c 'import time; print(f"{time.monotonic():.3f}")'; }

longest=0
longest_run=""
for action in ask delete quarantine; do
  stick=$out/stick-$action
  make_stick "$stick"
  start=$(seconds)
  status=0
  "$cli" scan --thorough --suspicious "$action" --data-dir "$out/data-$action" "$stick" >"$out/$action.txt" || status=$?
  end=$(seconds)
  elapsed=$(python3 -c "print(f'{$end - $start:.1f}')")
  reported=$(grep -c '^suspicious' "$out/$action.txt" || true)
  echo "$files files, $findings findings, --suspicious $action: ${elapsed} s, $reported reported, exit $status"
  if python3 -c "import sys; sys.exit(0 if $elapsed > $longest else 1)"; then
    longest=$elapsed
    longest_run=$action
  fi
  rm -rf "$stick" "$out/data-$action"
done
echo "longest: ${longest} s (--suspicious $longest_run)"

stick=$out/stick-autorun
mkdir -p "$stick"
printf '[autorun]\r\nopen=run.exe\r\n' >"$stick/autorun.inf"
truncate -s 2G "$stick/autorun.inf"
printf 'MZ' >"$stick/run.exe"
status=0
/usr/bin/time -v "$cli" scan --json --data-dir "$out/data-autorun" "$stick" >"$out/autorun.json" 2>"$out/autorun.time" ||
  status=$?
peak=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$out/autorun.time")
echo "2 GB autorun.inf: peak memory ${peak} KiB, exit $status"
grep -E '"error"|"summary"' "$out/autorun.json"
rm -rf "$stick"
