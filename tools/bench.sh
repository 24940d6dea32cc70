#!/usr/bin/env bash
# Measures a thorough scan against a bare walk of the same generated drive
# (about 50,000 folders and 100,000 files) and prints the ratio; then the log page
# on a log of 100,000 entries.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
bash tools/deps.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DDW_BUILD_BENCH=ON >/dev/null
cmake --build build/bench --target dw_bench_scan dw_bench_log -j "$(nproc)" >/dev/null
build/bench/tests/bench/dw_bench_scan --benchmark_format=json --benchmark_out=build/bench/result.json \
  --benchmark_out_format=json >/dev/null
python3 - build/bench/result.json <<'PY'
import json, sys
runs = {b["name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
walk, scan = runs["BM_BareWalk"]["real_time"], runs["BM_ThoroughScan"]["real_time"]
print(f"bare walk {walk:.0f} ms, thorough scan {scan:.0f} ms, ratio {scan / walk:.2f}, "
      f"peak memory {runs['BM_ThoroughScan'].get('maxrss_MiB', 0):.0f} MiB")
PY
# The log page on a log of 100,000 entries.
build/bench/tests/bench/dw_bench_log --benchmark_format=json --benchmark_out=build/bench/log.json \
  --benchmark_out_format=json >/dev/null
python3 - build/bench/log.json <<'PY'
import json, sys
runs = {b["name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
print(f"log of {runs['BM_ReadLog']['rows']:.0f} entries: read {runs['BM_ReadLog']['real_time']:.0f} ms, "
      f"page shown {runs['BM_ShowLogPage']['real_time']:.0f} ms")
PY
