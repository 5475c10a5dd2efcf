#!/usr/bin/env bash
# Whole-program speed of korvane-cli against reference scripts, and of batch on one core against
# two, timed with hyperfine in interleaved rounds (each round times every command of a
# comparison a few times, so a change of the machine's load hits all of them alike):
#   process of a 30-record sounding      / bench/reference/scipy_process.py (NumPy, SciPy)
#   autocorrelate --raw of the same      / bench/reference/numpy_autocorrelate.py (np.correlate)
#   batch of 100 soundings of 30 records, --jobs 1 / --jobs 2
# and the peak memory of batch (of 100 and of 400 soundings). Prints the medians and ratios as a
# Markdown table, with the load average before and after.
#
# usage: tools/speed-compare.sh [--install] [--priority] [--rounds N] [BUILD_DIR]
#   --install   install hyperfine, python3-numpy and python3-scipy with apt-get when missing
#   --priority  (root) run in a session of its own at nice -20: with autogroup scheduling a
#               session gets its share of the processors whatever its threads, so on a machine
#               busy with other sessions two workers would not get two cores otherwise
#   --rounds N  rounds of each comparison (default 5)
# Needs no part of ./test.sh and is not run by it.
set -euo pipefail
cd "$(dirname "$0")/.."

install=0 priority=0 rounds=5 build=build
while [ $# -gt 0 ]; do
  case $1 in
  --install) install=1 ;;
  --priority) priority=1 ;;
  --rounds) rounds=$2; shift ;;
  -h | --help) sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  *) build=$1 ;;
  esac
  shift
done

if [ "$priority" = 1 ] && [ -z "${KORVANE_SPEED_SESSION:-}" ]; then
  [ "$(id -u)" -eq 0 ] || { echo "--priority needs root" >&2; exit 1; }
  args=(--rounds "$rounds")
  [ "$install" = 1 ] && args+=(--install)
  exec setsid -w env KORVANE_SPEED_SESSION=1 bash -c \
    'echo -20 > /proc/self/autogroup && exec nice -n -20 "$0" "$@"' "$0" "${args[@]}" "$build"
fi

python=/usr/bin/python3
need=()
command -v hyperfine >/dev/null || need+=(hyperfine)
"$python" -c 'import numpy, scipy.signal' 2>/dev/null || need+=(python3-numpy python3-scipy)
if [ ${#need[@]} -ne 0 ]; then
  if [ "$install" != 1 ]; then
    echo "Missing: ${need[*]}; run with --install to install them with apt-get" >&2
    exit 1
  fi
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

cli=$(realpath "$build/bin/korvane-cli")
[ -x "$cli" ] || { echo "$cli is missing: build first" >&2; exit 1; }
reference=$(realpath bench/reference)
work=$(mktemp -d /tmp/korvane-speed-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"

# One sounding of 30 records; a site of 100 (and 400) soundings of 30 records, made of four
# simulated ones, each file hard-linked into every sounding that uses it.
"$cli" simulate --out s30 --depths 30 --seed 1 >/dev/null
for seed in 1 2 3 4; do "$cli" simulate --out "base$seed" --depths 30 --seed "$seed" >/dev/null; done
for i in $(seq -w 1 400); do
  mkdir -p "site/CPT-$i"
  ln "base$(((10#$i % 4) + 1))"/waves/* "site/CPT-$i/"
done
site100=$(printf 'site/CPT-%03d ' $(seq 1 100))
mkdir diagnostics

load() { cut -d' ' -f1-3 /proc/loadavg; }
echo "load average before: $(load)" >&2

# compare NAME RUNS COMMAND... : rounds of hyperfine over all commands; appends every time to
# NAME.times (one line per command: its times in seconds).
compare() {
  local name=$1 runs=$2
  shift 2
  for round in $(seq 1 "$rounds"); do
    hyperfine -N --style none --warmup 1 --runs "$runs" --export-json "$name.$round.json" \
      --prepare 'rm -rf out' "$@" >/dev/null
  done
}

compare process 5 \
  "$cli process -q --windows s30/windows.txt --diagnostics diagnostics s30/waves" \
  "$python $reference/scipy_process.py s30/windows.txt s30/waves"
compare autocorrelate 3 \
  "$cli autocorrelate --raw -q --diagnostics diagnostics s30/waves" \
  "$python $reference/numpy_autocorrelate.py s30/waves"
compare batch 1 \
  "$cli batch -q --jobs 1 --out out $site100" \
  "$cli batch -q --jobs 2 --out out $site100"

rm -rf out
peak100=$(/usr/bin/time -f %M "$cli" batch -q --out out $site100 2>&1 >/dev/null | tail -1)
rm -rf out
peak400=$(/usr/bin/time -f %M "$cli" batch -q --out out site/* 2>&1 >/dev/null | tail -1)
echo "load average after: $(load)" >&2

"$python" - "$rounds" "$peak100" "$peak400" <<'EOF'
import json, statistics, sys

rounds, peak100, peak400 = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])

def medians(name):
    times = {}
    for r in range(1, rounds + 1):
        for result in json.load(open(f"{name}.{r}.json"))["results"]:
            times.setdefault(result["command"], []).extend(result["times"])
    return [statistics.median(t) for t in times.values()], [len(t) for t in times.values()]

rows = [("process", "`korvane-cli process`, 30 records", "SciPy pipeline"),
        ("autocorrelate", "`korvane-cli autocorrelate --raw`, 30 records", "NumPy `np.correlate`"),
        ("batch", "`korvane-cli batch --jobs 2`, 100 soundings", "`--jobs 1`")]
print("| comparison | Korvane | reference | ratio | runs each |")
print("|---|---|---|---|---|")
for name, ours, theirs in rows:
    m, n = medians(name)
    if name == "batch":
        slow, fast = m
    else:
        fast, slow = m
    print(f"| {ours} against {theirs} | {fast * 1000:.1f} ms | {slow * 1000:.1f} ms | "
          f"{slow / fast:.1f} | {min(n)} |")
print(f"| peak memory of `batch`, 100 / 400 soundings | {peak100 / 1024:.1f} MB | "
      f"{peak400 / 1024:.1f} MB | | 1 |")
EOF
