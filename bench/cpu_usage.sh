#!/bin/bash
# Processor time of a headless real-time run over a pseudo-terminal.
#   bench/cpu_usage.sh [BUILD_DIR] [SECONDS] [BUSY_LOOPS]
# Serves the simulated unit on a pseudo-terminal, runs one session of SECONDS (default 60) at
# 30 samples/s headless against it and prints the run's user+system CPU time as a share of its
# wall time, with the samples recorded and missed. BUSY_LOOPS (default 0) busy processes
# (`yes > /dev/null`) run alongside for the run's length and are killed at the end.
set -u
build=${1:-build}
seconds=${2:-60}
busy=${3:-0}
cli=$build/src/cli/tracelux-cli
. "$(dirname "$0")/sim_pty.sh"

printf 'Save Data = True\r\nData File = "%s/RUN.DAT"\r\nSession Length = %d\r\nNumber of Sessions = 1\r\nInitial Delay = 0\r\nSample Rate = 30\r\n' \
  "$work" "$seconds" > "$work/run.EXP"

for _ in $(seq "$busy"); do
  (exec yes > /dev/null) &
  pids+=($!)
done

/usr/bin/time -f '%e %U %S' -o "$work/time" \
  "$cli" run --setup "$work/run.EXP" --unit "$pty" --home "$work/home" --yes > "$work/results" 2> "$work/err"
status=$?
read -r wall user sys < "$work/time"
bytes=$(wc -c < "$work/RUN.DAT" 2>/dev/null || echo 0)
awk -v w="$wall" -v u="$user" -v s="$sys" -v st="$status" -v b="$busy" \
  'BEGIN { printf "run: exit %d, %d busy loops, wall %.1f s, cpu %.2f s (user %.2f, sys %.2f) = %.2f%% of one core\n", st, b, w, u + s, u, s, 100 * (u + s) / w }'
# The run's own summary (samples recorded and missed), where the program prints one.
grep -h "missed" "$work/err"
echo "data file: $bytes bytes (a 38-byte header, then 2 bytes a sample)"
