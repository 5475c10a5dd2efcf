#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each one.
#   tools/fuzz.sh [RUNS]        a fixed number of runs per target (default 20000)
#   tools/fuzz.sh --time SECS   run each target for SECS seconds
set -euo pipefail
cd "$(dirname "$0")/.."
limit=(-runs="${1:-20000}")
if [ "${1:-}" = "--time" ]; then limit=(-max_total_time="$2"); fi
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVANE_BUILD_FUZZ=ON -DKORVANE_BUILD_GUI=OFF -DKORVANE_BUILD_TESTS=OFF \
  -DKORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target wave_file_fuzzer document_fuzzer
for target in wave_file_fuzzer document_fuzzer; do
  corpus=fuzz/corpus/${target%_fuzzer}
  [ "$target" = wave_file_fuzzer ] && corpus=fuzz/corpus/wave
  work=$(mktemp -d)
  cp "$corpus"/* "$work"/
  echo "== $target ${limit[*]}"
  # A private copy of the corpus: new finds stay out of the repository.
  build-fuzz/bin/$target "${limit[@]}" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 "$work" 2>&1 | tail -n 12
  rm -rf "$work"
done
