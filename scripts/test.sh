#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test with CTest.
# BUILD_DIR and CMAKE_ARGS may be set (the sanitizer run uses both).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" ${CTEST_ARGS:-}
