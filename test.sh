#!/usr/bin/env bash
# Sets everything up, builds, and runs every test. Exits non-zero on any failure.
set -eu
top=$(cd "$(dirname "$0")" && pwd)
"$top/tools/setup-deps.sh"
"$top/tools/build.sh"
cd "$top/build"
ctest --output-on-failure "$@"
