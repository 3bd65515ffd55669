#!/bin/bash
# Processor time of a rack run: UNITS (default 8) simulated units served by one `sim --pty
# --count` process, driven by one `tracelux-cli run` with a session of SECONDS (default 60) at 30
# samples/s each. Prints the run process's user+system time over its whole run (bring-up, the
# session, the files and the table) as a share of one core, the load at the time, and each unit's
# summary (samples recorded and missed).
#   bench/cpu_rack.sh [BUILD_DIR] [SECONDS] [UNITS]
set -u
build=${1:-build}
seconds=${2:-60}
units=${3:-8}
cli=$build/src/cli/tracelux-cli
work=$(mktemp -d)
[ -n "${KEEP:-}" ] && echo "files in $work"
sim=
cleanup() {
  [ -n "$sim" ] && kill "$sim" 2>/dev/null
  wait 2>/dev/null
  [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

"$cli" sim --pty --count "$units" --seed 3 > "$work/ptys" &
sim=$!
for _ in $(seq 50); do [ "$(wc -l < "$work/ptys")" -ge "$units" ] && break; sleep 0.1; done
mapfile -t ptys < "$work/ptys"
[ "${#ptys[@]}" -eq "$units" ] || { echo "the simulated units did not start" >&2; exit 1; }

args=()
for i in $(seq 0 $((units - 1))); do
  "$cli" setup new "$work/U$i.EXP" --data-file "$work/U$i.DAT" --session-length "$seconds" \
    --sessions 1 --rate 30 || exit 1
  args+=(--setup "$work/U$i.EXP" --unit "${ptys[$i]}")
done

load_before=$(cut -d' ' -f1 /proc/loadavg)
/usr/bin/time -f '%e %U %S' -o "$work/time" \
  "$cli" run "${args[@]}" --home "$work/home" --table "$work/RACK.CSV" > /dev/null 2> "$work/err"
status=$?
load_after=$(cut -d' ' -f1 /proc/loadavg)
read -r wall user sys < "$work/time"
awk -v w="$wall" -v u="$user" -v s="$sys" -v st="$status" -v n="$units" -v l0="$load_before" -v l1="$load_after" \
  'BEGIN { printf "rack of %d: exit %d, wall %.1f s, cpu %.2f s (user %.2f, sys %.2f) = %.2f%% of one core; load %s before, %s after\n", n, st, w, u + s, u, s, 100 * (u + s) / w, l0, l1 }'
grep -h "missed" "$work/err"
expected=$((38 + 2 * seconds * 30))
for i in $(seq 0 $((units - 1))); do
  bytes=$(wc -c < "$work/U$i.DAT" 2>/dev/null || echo 0)
  [ "$bytes" -eq "$expected" ] || echo "U$i.DAT: $bytes bytes, not $expected"
done
