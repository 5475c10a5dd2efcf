#!/usr/bin/env bash
# Processes the bundled example soundings with korvane-cli and compares each velocity table with
# the model's true interval velocities: examples/sounding (24 wave files), then examples/field
# (the same ground model as SEG-2 files of a field seismograph: 0.125 ms sampling, two strikes
# per file, samples before the trigger, tip depths in the file names). Diagnostic files, tables
# and documents go to <build>/example-output, never into the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${KORVANE_BUILD_DIR:-build}"
cli="$build/bin/korvane-cli"
[ -x "$cli" ] || { echo "$cli is missing: build first (./run.sh does)" >&2; exit 1; }

# run_example NAME RECORDS [process options...]
run_example() {
  local name=$1 records=$2
  shift 2
  local example=examples/$name out="$build/example-output/$name"
  mkdir -p "$out"
  "$cli" process --quiet --windows "$example/windows.txt" --diagnostics "$out" \
    --table "$out/velocities.txt" --save "$out/$name.kvn" "$@" "$example/$records"

  echo "== $example"
  echo "Velocity table ($out/velocities.txt):"
  cat "$out/velocities.txt"
  echo
  echo "Against the true interval velocities of the ground model ($example/model.txt):"
  awk 'NR == FNR { if ($1 == "interval") truth[++n] = $3; next }
       FNR == 1 { printf "%10s %14s %14s %8s\n", "Depth(m)", "Measured(m/s)", "True(m/s)", "Error"; next }
       { i++; err = ($2 - truth[i]) / truth[i] * 100; if (err < 0 ? -err > worst : err > worst) worst = err < 0 ? -err : err
         printf "%10.2f %14.2f %14.2f %+7.2f%%\n", $1, $2, truth[i], err }
       END { printf "Largest deviation: %.2f %%\n", worst }' "$example/model.txt" "$out/velocities.txt"
  echo
  echo "Diagnostic files, table and document: $out/"
  echo
}

run_example sounding waves
# The left strikes alone, as the cross-correlation run takes them.
run_example field records --channel 1

# Both strikes of every file as strike pairs, with proposed windows and sub-sample delays: what
# a field sounding gets in practice (least squares over several depths, --fit lsq5, would smooth
# the noise of close depths at the price of the layer boundaries).
out="$build/example-output/field-pairs"
mkdir -p "$out"
"$cli" process --quiet --channel 1 --opposite-channel 2 --window auto --lag subsample \
  --diagnostics "$out" --table "$out/velocities.txt" --csv "$out/intervals.csv" \
  --save "$out/field-pairs.kvn" examples/field/records
echo "== examples/field, strike pairs (--channel 1 --opposite-channel 2 --window auto --lag subsample)"
echo "Interval analysis ($out/intervals.csv) against the true interval velocities:"
awk -F, 'NR == FNR { split($0, w, " "); if (w[1] == "interval") truth[w[2]] = w[3]; next }
         FNR == 1 { printf "%10s %14s %14s %8s  %s\n", "Depth(m)", "Measured(m/s)", "True(m/s)", "Error", "Flags"; next }
         { err = ($5 - truth[$3]) / truth[$3] * 100; if (err < 0 ? -err > worst : err > worst) worst = err < 0 ? -err : err
           printf "%10.2f %14.2f %14.2f %+7.2f%%  %s\n", $3, $5, truth[$3], err, $8 }
         END { printf "Largest deviation: %.2f %%\n", worst }' \
  examples/field/model.txt "$out/intervals.csv"
echo
echo "Diagnostic files, table, CSV and document: $out/"
