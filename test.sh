#!/usr/bin/env bash
# Builds Korvane in build/ and runs every test (GUI tests under Xvfb).
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
tools/with-display.sh ctest --test-dir build --output-on-failure -j2
