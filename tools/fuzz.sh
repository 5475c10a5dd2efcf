#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each one.
#   tools/fuzz.sh [RUNS [DOCUMENT_RUNS]]  a fixed number of runs per target (default 20000;
#                                         the document target may get its own count)
# Targets: wave_file_fuzzer (the wave reader), document_fuzzer (.kvn documents), seg2_fuzzer
# (the import layer from SEG-2 and GRU seeds: SEG-2, GRU, column text and the resampler).
#   tools/fuzz.sh --time SECS             run each target for SECS seconds
# A crash, hang, leak, sanitizer report or a single allocation of 16 MB or more (no input of
# at most 64 KB can justify one) stops the run with a non-zero status; the input that caused it
# is kept in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
wave_limit=(-runs="${1:-20000}")
document_limit=(-runs="${2:-${1:-20000}}")
if [ "${1:-}" = "--time" ]; then
  wave_limit=(-max_total_time="$2")
  document_limit=("${wave_limit[@]}")
fi
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVANE_BUILD_FUZZ=ON -DKORVANE_BUILD_GUI=OFF -DKORVANE_BUILD_TESTS=OFF -DKORVANE_WERROR=ON \
  -DKORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target wave_file_fuzzer document_fuzzer seg2_fuzzer
mkdir -p build-fuzz/artifacts
for target in wave_file_fuzzer document_fuzzer seg2_fuzzer; do
  corpus=fuzz/corpus/${target%_fuzzer}
  limit=("${wave_limit[@]}")
  if [ "$target" = wave_file_fuzzer ]; then
    corpus=fuzz/corpus/wave
  elif [ "$target" = document_fuzzer ]; then
    limit=("${document_limit[@]}")
  fi
  work=$(mktemp -d)
  cp "$corpus"/* "$work"/
  echo "== $target ${limit[*]}"
  # A private copy of the corpus: new finds stay out of the repository.
  status=0
  build-fuzz/bin/$target "${limit[@]}" -max_len=65536 -rss_limit_mb=2048 -malloc_limit_mb=16 \
    -timeout=10 -print_final_stats=1 -artifact_prefix=build-fuzz/artifacts/ "$work" \
    >"$work.log" 2>&1 || status=$?
  tail -n 12 "$work.log"
  if [ "$status" -ne 0 ]; then
    echo "== $target failed (status $status); full log: $work.log" >&2
    rm -rf "$work"
    exit "$status"
  fi
  rm -rf "$work" "$work.log"
done
