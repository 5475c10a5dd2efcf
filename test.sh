#!/usr/bin/env bash
# Builds Korvane in build/, runs every test (GUI tests under Xvfb) and checks the Debian package
# made from that build; then the same tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/, and a short run of each libFuzzer target (clang,
# build-fuzz/).
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_WERROR=ON
cmake --build build
tools/with-display.sh ctest --test-dir build --output-on-failure -j2

echo "== package"
tools/package-check.sh build

echo "== sanitizers"
# -O1 without debug information compiles in about half the time and still runs quickly.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O1 \
  -DKORVANE_SANITIZE=ON -DKORVANE_BUILD_BENCH=OFF -DKORVANE_WERROR=ON
cmake --build build-asan
tools/with-display.sh ctest --test-dir build-asan --output-on-failure -j2

echo "== fuzzing"
# About half a minute per target on two cores.
tools/fuzz.sh 60000 150000
