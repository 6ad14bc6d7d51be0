#!/usr/bin/env bash
# Sets up, builds and runs every test (unit, offscreen GUI and end-to-end over loopback): about ten minutes
# from a fresh clone on two cores. A tree it makes is a Release build without the benchmarks, the quickest to
# compile; an existing tree keeps its settings. OSTREVAN_SANITIZE=1 (as CI sets it) then also builds the
# sanitizer tree, runs the unit and end-to-end suites in it and each fuzz target for a minute.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${OSTREVAN_BUILD_DIR:-$here/build}"
OSTREVAN_BUILD_TYPE="${OSTREVAN_BUILD_TYPE:-Release}" \
    OSTREVAN_CMAKE_ARGS="${OSTREVAN_CMAKE_ARGS:--DOSTREVAN_WERROR=ON -DOSTREVAN_BENCH=OFF}" \
    bash "$here/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"
if [ "${OSTREVAN_SANITIZE:-0}" = 1 ]; then
    bash "$here/scripts/sanitize.sh"
fi
