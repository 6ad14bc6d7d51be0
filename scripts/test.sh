#!/usr/bin/env bash
# Sets up, builds and runs every test (unit, offscreen GUI and end-to-end over loopback).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${OSTREVAN_BUILD_DIR:-$here/build}"
OSTREVAN_CMAKE_ARGS="${OSTREVAN_CMAKE_ARGS:--DOSTREVAN_WERROR=ON}" bash "$here/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"
