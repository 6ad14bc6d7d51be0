#!/usr/bin/env bash
# Sets up, builds and runs every test (unit, offscreen GUI and end-to-end over loopback).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${OSTREVAN_BUILD_DIR:-$here/build}"
OSTREVAN_CMAKE_ARGS="${OSTREVAN_CMAKE_ARGS:--DOSTREVAN_WERROR=ON}" bash "$here/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"
# The sanitizer tree and the fuzz targets (OSTREVAN_SANITIZE=0 skips them for a quick local run).
if [ "${OSTREVAN_SANITIZE:-1}" != 0 ]; then
    bash "$here/scripts/sanitize.sh"
fi
