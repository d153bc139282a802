#!/usr/bin/env bash
# Installs what is missing, builds the program, writes a sample data root
# (system database, sample companies, registry with the accounting product
# 13.0.0) into ./sample-run and starts the wizard on it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)" --target miruza_rendo make_sample_root

export MIRUZA_HOME=${MIRUZA_HOME:-$PWD/sample-run}
if [[ ! -d "$MIRUZA_HOME/data" ]]; then
  "$BUILD_DIR/sample/make_sample_root" "$MIRUZA_HOME"
fi
exec "$BUILD_DIR/src/wizard/miruza_rendo" "$@"
