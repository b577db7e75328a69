#!/bin/bash
# Builds the benchmarks (preset bench, native Release) and runs the subsystem model's.
# Exits non-zero when the load or the average click misses its target.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset bench >/dev/null
cmake --build build/bench -j2 --target bench_model
build/bench/bench/bench_model
