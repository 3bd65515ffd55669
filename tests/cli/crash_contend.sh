#!/bin/bash
# Crash and contend: real tracelux-cli processes on simulated units behind pseudo-terminals, tried
# the way a busy laboratory would: kill -9 at a random moment, Ctrl-C, a closed terminal, SIGTERM,
# a second program on the same data file from another home or through another spelling of its
# path, a damaged journal. After each scenario one invariant is checked: every sample the run
# counted is in exactly one finished data file or in a raw file announced for recovery, and
# nothing said "Finished" or exited 0 without that.
#
#   crash_contend.sh TRACELUX_CLI [SEED] [COUNT] [JOBS]
#
# CI runs a few scenarios; by hand, e.g. "crash_contend.sh build/src/cli/tracelux-cli 42 200".
# A scenario is "name" or "name:options of the simulated unit"; adding one is one line below.
# JOBS scenarios (default 3) run side by side, each with its own unit, home and data folder; the
# seed alone decides every scenario, its moments and its unit.
set -u
CLI=$1
SEED=${2:-$(date +%s)}
COUNT=${3:-6}
JOBS=${4:-3}
RANDOM=$SEED
SCENARIOS=(
  kill9 kill9 sigint sighup sigterm other_home other_spelling damaged_journal
  # noisy lines: a stray byte every N bytes, or a byte lost every N bytes
  "sigint:--noise-every 500" "kill9:--drop-every 400" "sigterm:--noise-every 300"
)
WORK=$(mktemp -d /tmp/tlx-crash-XXXXXX)
cleanup() {
  # shellcheck disable=SC2046
  kill $(jobs -p) 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

samples() {  # samples in a data file (header 38 bytes), or in a raw file with "raw"
  local size
  size=$(stat -c %s "$1" 2>/dev/null || echo 0)
  if [ "${2:-}" = raw ]; then echo $((size / 2)); elif [ "$size" -ge 38 ]; then
    echo $(((size - 38) / 2)); else echo 0; fi
}
fail() { echo "FAIL seed $SEED scenario $n ($name): $*"; }
wait_raw() {  # until the run records (at most 30 s)
  for _ in $(seq 300); do [ "$(samples "$D.RAW" raw)" -gt 30 ] && return 0; sleep 0.1; done
  return 1
}
start_run() {
  "$CLI" run --setup "$S/X.EXP" --unit "$PTY" --home "$S/home" --quiet >"$S/out" 2>"$S/err" &
  PID=$!
}
# A stopped run: exit 3 with its data file holding what it says, or nothing recorded at all.
check_stopped() {
  local code=$1
  [ "$code" -eq 3 ] || { fail "exit $code after a signal: $(cat "$S/err")"; return; }
  if grep -q "nothing was recorded" "$S/err"; then
    [ -e "$D.DAT" ] || [ -e "$D.RAW" ] && fail "files left by a run that recorded nothing"
    return
  fi
  local said
  said=$(sed -n 's/.*: \([0-9]*\) of [0-9]* samples were recorded.*/\1/p' "$S/err")
  [ "$said" = "$(samples "$D.DAT")" ] || fail "said $said samples, data file holds $(samples "$D.DAT")"
  [ -e "$D.RAW" ] && fail "raw file left beside a written data file"
}
# After a kill: the next start in the same home recovers every sample on the disk.
check_recovered() {
  local raw=$1
  "$CLI" run --setup "$S/X.EXP" --home "$S/home" --yes --quiet >"$S/out2" 2>"$S/err2"
  local code=$?
  if [ "$raw" -eq 0 ]; then
    [ "$code" -eq 0 ] || grep -q "recovered" "$S/err2" || fail "nothing recorded, yet exit $code: $(cat "$S/err2")"
    return
  fi
  [ "$code" -ne 0 ] || fail "a recovered recording was overwritten"
  grep -q "recovered into $D.DAT ($raw samples)" "$S/err2" || fail "recovery of $raw samples not said: $(cat "$S/err2")"
  [ "$(samples "$D.DAT")" -eq "$raw" ] || fail "data file holds $(samples "$D.DAT") of $raw samples"
}

# One scenario in its own folder S, in a subshell of its own: its lines go to standard output.
scenario() {
  n=$1 entry=$2 delay=$3 simseed=$4 moment=$5 cut=$6
  name=${entry%%:*}
  simargs=""
  [ "$entry" != "$name" ] && simargs=${entry#*:}
  S=$WORK/s$n
  mkdir -p "$S/d" "$S/home" "$S/home2"
  ln -s "$S/d" "$S/link"
  D=$S/d/X
  printf 'Save Data = True\r\nData File = "%s.DAT"\r\nSession Length = 20\r\nNumber of Sessions = 1\r\nInitial Delay = %d\r\nMaximum Distance = 60\r\nAmbulatory Threshold = 6\r\nStereotypic Threshold = 3\r\nCalibrate Scale = 120\r\nCalibrate Reference = 35\r\nSample Rate = 30\r\n' \
    "$D" "$delay" >"$S/X.EXP"
  # shellcheck disable=SC2086
  "$CLI" sim --pty --seed "$simseed" $simargs >"$S/sim" 2>/dev/null &
  SIM=$!
  trap 'kill "$SIM" 2>/dev/null' EXIT
  for _ in $(seq 50); do [ -s "$S/sim" ] && break; sleep 0.1; done
  PTY=$(head -1 "$S/sim")
  start_run
  case $name in
    kill9)
      sleep "$moment"
      kill -9 "$PID"; wait "$PID" 2>/dev/null
      check_recovered "$(samples "$D.RAW" raw)" ;;
    sigint|sighup|sigterm)
      sleep "$moment"
      kill -"${name#sig}" "$PID"; wait "$PID"; check_stopped $? ;;
    other_home|other_spelling)
      wait_raw || fail "the run never recorded"
      if [ "$name" = other_home ]; then other=$D.DAT; else other=$S/link/./X.DAT; fi
      "$CLI" run --setup "$S/X.EXP" --data-file "$other" --home "$S/home2" --yes --quiet >/dev/null 2>"$S/err2"
      code=$?
      [ "$code" -eq 1 ] && grep -q "is being recorded by process $PID" "$S/err2" ||
        fail "second program not refused (exit $code): $(cat "$S/err2")"
      kill -TERM "$PID"; wait "$PID"; check_stopped $? ;;
    damaged_journal)
      wait_raw || fail "the run never recorded"
      kill -9 "$PID"; wait "$PID" 2>/dev/null
      raw=$(samples "$D.RAW" raw)
      journal=$(ls "$S"/home/RUN-*.JOURNAL)
      head -c "$cut" "$journal" >"$journal.cut"; mv "$journal.cut" "$journal"
      "$CLI" run --setup "$S/X.EXP" --home "$S/home" --yes --quiet >/dev/null 2>"$S/err2"
      code=$?
      [ "$code" -ne 0 ] && grep -q "holds $raw samples of an interrupted run" "$S/err2" ||
        fail "unrecovered raw file not refused (exit $code): $(cat "$S/err2")"
      [ "$(samples "$D.RAW" raw)" -eq "$raw" ] || fail "raw file changed"
      "$CLI" recover "$D.RAW" --setup "$S/X.EXP" 2>"$S/err3" || fail "recover failed: $(cat "$S/err3")"
      [ "$(samples "$D.DAT")" -eq "$raw" ] || fail "recovered $(samples "$D.DAT") of $raw samples" ;;
  esac
  kill "$SIM" 2>/dev/null; wait "$SIM" 2>/dev/null
  echo "scenario $n: $entry at ${moment}s"
}

# Every random choice is drawn here, in order, never in a subshell (which draws its own numbers).
for ((first = 1; first <= COUNT; first += JOBS)); do
  last=$((first + JOBS - 1 < COUNT ? first + JOBS - 1 : COUNT))
  for ((n = first; n <= last; n++)); do
    entry=${SCENARIOS[$((RANDOM % ${#SCENARIOS[@]}))]}
    delay=$((RANDOM % 3 == 0 ? 2 : 0))
    simseed=$((RANDOM + 1))
    tenths=$((5 + RANDOM % 80))
    cut=$((RANDOM % 80))
    scenario "$n" "$entry" "$delay" "$simseed" "$((tenths / 10)).$((tenths % 10))" "$cut" >"$WORK/report$n" 2>&1 &
  done
  wait
  for ((n = first; n <= last; n++)); do cat "$WORK/report$n"; done
done
FAILS=$(cat "$WORK"/report* | grep -c '^FAIL')
echo "seed $SEED: $COUNT scenarios, $FAILS failures"
[ "$FAILS" -eq 0 ]
