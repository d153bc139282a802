#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite.
#
# SANITIZE=1 builds with the address and undefined-behaviour sanitizers
# instead (in build-sanitize/ unless BUILD_DIR is set) and runs the same
# suite; any finding fails the test that met it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

SANITIZE=${SANITIZE:-0}
JOBS=$(nproc)
if [[ "$SANITIZE" == 1 ]]; then
    BUILD_DIR=${BUILD_DIR:-build-sanitize}
    SANITIZE_OPTION=ON
    # Leaks of the libraries at exit (Qt, the Firebird client) are not ours
    # to mend; every other finding stops the test.
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
else
    BUILD_DIR=${BUILD_DIR:-build}
    SANITIZE_OPTION=OFF
fi
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRUZA_SANITIZE="$SANITIZE_OPTION" >/dev/null
cmake --build "$BUILD_DIR" -j "$JOBS"

cd "$BUILD_DIR"
ctest --output-on-failure -j "$JOBS" --timeout 300
