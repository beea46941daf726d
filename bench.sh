#!/usr/bin/env bash
# Installs what is missing, builds Tessivar with optimisation and runs the benchmarks.
# Usage: ./bench.sh [Google Benchmark options, e.g. --benchmark_filter=Counter]
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

ensure_packages
configure_build build-release -DCMAKE_BUILD_TYPE=Release -DTESSIVAR_TESTS=OFF
build build-release --target tessivar_bench
say "Running the benchmarks (one core)"
exec taskset -c 0 ./build-release/bench/tessivar_bench --benchmark_counters_tabular=true "$@"
