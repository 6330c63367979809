#!/usr/bin/env bash
# Builds the benchmarks and runs each inside the test environment (private
# sound server, own HOME). Usage: bench/run.sh [BUILD_DIR] (default: build).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
cmake -S "$top" -B "$build" >/dev/null
cmake --build "$build" -j2 --target bench
export QUELLIN_BIN_DIR=$build/bin QUELLIN_TEST_NO_DISPLAY=1
"$top/tests/fixture/test-env.sh" "$build/bench/bench_engine"
"$top/tests/fixture/test-env.sh" "$build/bench/bench_start"
"$top/tests/fixture/test-env.sh" "$build/bench/bench_recording"
# The list window is measured as it shows on a display.
QUELLIN_TEST_NO_DISPLAY=0 "$top/tests/fixture/test-env.sh" "$build/bench/bench_catalogue"
