#!/usr/bin/env bash
# Builds Korvane and processes the bundled example sounding end to end.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_WERROR=ON
cmake --build build
exec tools/run-example.sh
