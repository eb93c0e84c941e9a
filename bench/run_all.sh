#!/usr/bin/env bash
# Builds the bench preset and measures, in one run: the numeric conversion
# and statement microbenchmarks, then the whole program against the floor on
# a file of 100,000 blocks, with peak memory.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
build-bench/tsf_bench --benchmark_min_time=0.5
bench/time_program.py build-bench --blocks 100000 --runs 5
