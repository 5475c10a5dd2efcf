#!/usr/bin/env bash
# Processes the bundled example sounding (examples/sounding) with korvane-cli: loads the 24 wave
# files, sets the windows of examples/sounding/windows.txt, runs the cross-correlation, prints the
# velocity table and compares it with the model's true interval velocities. Diagnostic files, the
# table and the document go to <build>/example-output, never into the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${KORVANE_BUILD_DIR:-build}"
cli="$build/bin/korvane-cli"
out="$build/example-output"
example=examples/sounding
[ -x "$cli" ] || { echo "$cli is missing: build first (./run.sh does)" >&2; exit 1; }
mkdir -p "$out"

"$cli" process --quiet --windows "$example/windows.txt" --diagnostics "$out" \
  --table "$out/velocities.txt" --save "$out/example.kvn" "$example/waves"

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
