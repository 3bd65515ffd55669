#!/bin/bash
# Processor time of the desktop program attached to the simulated unit on a pseudo-terminal:
# its start-up (window, unit reset and initialisation) and then SECONDS (default 30) idle on the
# home page. Runs offscreen unless QT_QPA_PLATFORM says otherwise. With "sim" as the third
# argument the program runs on its own simulated unit (--simulate) instead.
#   bench/cpu_desktop.sh [BUILD_DIR] [SECONDS] [pty|sim]
set -u
build=${1:-build}
seconds=${2:-30}
unit=${3:-pty}
settle=10
. "$(dirname "$0")/sim_pty.sh"

# utime + stime of a process, in clock ticks.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

if [ "$unit" = sim ]; then attach=(--simulate); else attach=(--port "$pty"); fi
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/src/app/tracelux" "${attach[@]}" \
  --home "$work/home" > "$work/out" 2>&1 &
app=$!
pids+=($app)
sleep "$settle"
t0=$(ticks "$app") || exit 1
sleep "$seconds"
t1=$(ticks "$app") || exit 1
awk -v a="$t0" -v b="$t1" -v hz="$hz" -v s="$seconds" -v settle="$settle" \
  'BEGIN { printf "desktop: first %d s (start-up, unit reset) cpu %.2f s; then idle %d s: cpu %.2f s = %.2f%% of one core\n", settle, a / hz, s, (b - a) / hz, 100 * (b - a) / hz / s }'
