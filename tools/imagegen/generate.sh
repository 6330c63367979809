#!/usr/bin/env bash
# Builds the image generator and redraws every picture into resources/images/.
# Usage: tools/imagegen/generate.sh [BUILD_DIR]   (default: build-imagegen at the top)
set -eu
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build-imagegen}
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target imagegen
mkdir -p "$top/resources/images"
QT_QPA_PLATFORM=offscreen "$build/tools/imagegen/imagegen" "$top/resources/images"
