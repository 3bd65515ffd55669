# Sourced by the processor-time scripts: a temporary directory ($work), processes to end on exit
# ($pids) and the simulated unit served on a pseudo-terminal ($pty), from the build in $build.
work=$(mktemp -d)
[ -n "${KEEP:-}" ] && echo "files in $work"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

"$build/src/cli/tracelux-cli" sim --pty --seed 3 > "$work/pty" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/pty" ] && break; sleep 0.1; done
pty=$(head -n1 "$work/pty")
[ -n "$pty" ] || { echo "the simulated unit did not start" >&2; exit 1; }
