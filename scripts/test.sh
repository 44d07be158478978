#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
source scripts/runner.sh
runner_line
BUILD_DIR="${BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" --toolchain cmake/mingw-i686.cmake --no-warn-unused-cli >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
cd "$BUILD_DIR"
ctest --output-on-failure "$@"
