#!/usr/bin/env bash
# Configures and builds everything into build/ (program folder: build/bin).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$top/build" -j "$(nproc)" "$@"
