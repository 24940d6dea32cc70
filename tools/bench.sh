#!/usr/bin/env bash
# Measures a thorough scan of a clean tree against `find` walking the same tree,
# the floor of any scan (one listing per folder).
#
# The tree (about 110,000 folders, a file in each leaf) is generated once under
# build/bench/ and reused. `find <tree>` and `drivewarden-cli scan --thorough
# --dry-run <tree>` (a Release build) run alternately, after one warm-up each, so
# that both see the same page cache and the same load from other work; each pair
# gives a ratio and the median ratio is printed with the median times. The scan's
# peak memory (maximum resident set size) is measured on the whole tree and on
# half of it: equal figures say it does not grow with the tree.
#
#   DW_BENCH_RUNS      pairs to run (default 7)
#   DW_BENCH_CLI       a drivewarden-cli to measure instead of this tree's (another build)
#   DW_BENCH_ENGINE=1  also runs the engine benchmark (tests/bench/bench_scan.cpp)
#
# Then the log page on a log of 100,000 entries (tests/bench/bench_log.cpp).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
runs=${DW_BENCH_RUNS:-7}
out=$here/build/bench
mkdir -p "$out"
cli=${DW_BENCH_CLI:-}
if [ -z "$cli" ] || [ "${DW_BENCH_ENGINE:-0}" = 1 ]; then
  bash tools/deps.sh
  cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDW_BUILD_BENCH=ON >/dev/null
  cmake --build "$out" --target drivewarden-cli dw_bench_scan -j 2 >/dev/null
fi
if [ -z "$cli" ]; then
  cli=$out/src/programs/cli/drivewarden-cli
  [ -x "$cli" ] || cli=$(find "$out" -name drivewarden-cli -type f | head -1)
fi

python3 - "$cli" "$out" "$runs" <<'PY'
import os, statistics, subprocess, sys, time

cli, out, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
SHAPE = (48, 48, 48)  # 110,592 leaves and 2,352 folders above them

def make_tree(root, shape):
    marker = os.path.join(root, ".complete")
    if os.path.exists(marker):
        return
    subprocess.run(["rm", "-rf", root], check=True)
    a, b, c = shape
    for i in range(a):
        for j in range(b):
            mid = os.path.join(root, f"top{i:02d}", f"mid{j:02d}")
            for k in range(c):
                leaf = os.path.join(mid, f"leaf{k:02d}")
                os.makedirs(leaf)
                os.close(os.open(os.path.join(leaf, "notes.txt"), os.O_WRONLY | os.O_CREAT, 0o644))
    open(marker, "w").close()

def run(argv):
    """Seconds and peak memory (KiB) of one run; output discarded."""
    start = time.monotonic()
    child = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(child.pid, 0)
    elapsed = time.monotonic() - start
    err = child.stderr.read().decode(errors="replace")
    child.stderr.close()
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        sys.exit(f"{' '.join(argv)}: exit {code}\n{err}")
    return elapsed, usage.ru_maxrss

full = os.path.join(out, "tree-110k")
half = os.path.join(out, "tree-55k")
make_tree(full, SHAPE)
make_tree(half, (SHAPE[0] // 2,) + SHAPE[1:])
data = os.path.join(out, "bench-data")
find = lambda tree: ["find", tree]
scan = lambda tree: [cli, "scan", "--thorough", "--dry-run", "--data-dir", data, tree]

# A clean tree must scan clean (exit 0); run() stops on anything else.
run(find(full)), run(scan(full))
finds, scans, ratios = [], [], []
for _ in range(runs):
    f, _ = run(find(full))
    s, _ = run(scan(full))
    finds.append(f)
    scans.append(s)
    ratios.append(s / f)
peak_full = max(run(scan(full))[1], run(scan(full))[1])
peak_half = max(run(scan(half))[1], run(scan(half))[1])
folders = 1 + SHAPE[0] * (1 + SHAPE[1] * (1 + SHAPE[2]))
print(f"tree: {folders} folders; {runs} paired runs, medians:")
print(f"find {statistics.median(finds):.2f} s, thorough scan {statistics.median(scans):.2f} s, "
      f"ratio {statistics.median(ratios):.2f} (each pair: {' '.join(f'{r:.2f}' for r in ratios)})")
print(f"scan peak memory: {peak_full / 1024:.1f} MiB for the tree, {peak_half / 1024:.1f} MiB for half of it")
PY

if [ "${DW_BENCH_ENGINE:-0}" = 1 ]; then
  "$out/tests/bench/dw_bench_scan" --benchmark_format=json --benchmark_out="$out/result.json" \
    --benchmark_out_format=json >/dev/null
  python3 - "$out/result.json" <<'PY'
import json, sys
runs = {b["name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
walk, scan = runs["BM_BareWalk"]["real_time"], runs["BM_ThoroughScan"]["real_time"]
print(f"engine: bare walk {walk:.0f} ms, thorough scan {scan:.0f} ms, ratio {scan / walk:.2f}, "
      f"peak memory {runs['BM_ThoroughScan'].get('maxrss_MiB', 0):.0f} MiB")
PY
fi

# The log page on a log of 100,000 entries.
[ -f "$out/build.ninja" ] || cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDW_BUILD_BENCH=ON >/dev/null
cmake --build "$out" --target dw_bench_log -j 2 >/dev/null
"$out/tests/bench/dw_bench_log" --benchmark_format=json --benchmark_out="$out/log.json" \
  --benchmark_out_format=json >/dev/null
python3 - "$out/log.json" <<'PY'
import json, sys
runs = {b["name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
print(f"log of {runs['BM_ReadLog']['rows']:.0f} entries: read {runs['BM_ReadLog']['real_time']:.0f} ms, "
      f"page shown {runs['BM_ShowLogPage']['real_time']:.0f} ms")
PY
