#!/usr/bin/env bash
# Processor time of `tracelux-cli analyze` on a 24-hour recording of a calm and of an active
# animal, process start taken out: the task-clock of each file minus that of a 30-sample file,
# each the median of ROUNDS rounds of `perf stat -r RUNS`.
#   bench/analyze_speed.sh BUILD_DIR [ROUNDS] [RUNS]
set -euo pipefail
build=${1:?build directory}
rounds=${2:-5}
runs=${3:-20}
cli="$build/src/cli/tracelux-cli"
dir=$(mktemp -d /tmp/tlx-analyze-speed.XXXXXX)
trap 'rm -rf "$dir"' EXIT
"$build/bench/bench_analysis" --write-recordings "$dir"

# Median task-clock (ms) of `analyze FILE` over the rounds.
clock_ms() {
  local file=$1 values=()
  for ((r = 0; r < rounds; ++r)); do
    values+=("$(perf stat -x, -r "$runs" -e task-clock "$cli" analyze "$file" 2>&1 >/dev/null |
                awk -F, '/task-clock/ {print $1; exit}')")
  done
  printf '%s\n' "${values[@]}" | sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'
}

tiny=$(clock_ms "$dir/TINY.DAT")
echo "process start (30-sample file): $tiny ms"
for name in DAY ACTIVE; do
  ms=$(clock_ms "$dir/$name.DAT")
  awk -v n="$name" -v t="$ms" -v s="$tiny" 'BEGIN {
    d = t - s; printf "%-6s %.2f ms task-clock, %.2f ms without the start: %.0f million samples/s\n",
    n, t, d, 2592000 / d / 1000 }'
done
