#!/bin/bash
# The desktop program ended from outside during a run: a closed terminal or a logout (SIGHUP),
# SIGTERM, and its display going away. Real processes: an X server of its own, the program on the
# simulated unit, the run started from the keyboard as a user starts it. Each ending must leave
# the data file written with every sample recorded before it, and nothing left to recover. The
# three endings run side by side, each with its own X server and home.
#
#   desktop_end.sh TRACELUX TRACELUX_CLI
set -u
APP=$1
CLI=$2
for tool in Xvfb xdotool; do
  command -v $tool >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done
WORK=$(mktemp -d /tmp/tlx-desktop-end-XXXXXX)
XPID=
APID=
cleanup() {
  [ -n "$APID" ] && kill -9 "$APID" 2>/dev/null
  [ -n "$XPID" ] && kill "$XPID" 2>/dev/null
}
# shellcheck disable=SC2046
trap 'kill $(jobs -p) 2>/dev/null; [ -n "${KEEP:-}" ] || rm -rf "$WORK"' EXIT

raw_samples() { echo $(($(stat -c %s "$1" 2>/dev/null || echo 0) / 2)); }
# Samples in a data file (38 header bytes), read the way a user reads them.
dat_samples() { "$CLI" info "$1" 2>/dev/null | sed -n 's/^Samples: \([0-9]*\).*/\1/p'; }
fail() { echo "FAIL $ending: $*"; }
wait_until() {  # tenths of a second, then a command
  local tenths=$1
  shift
  for _ in $(seq "$tenths"); do "$@" && return 0; sleep 0.1; done
  return 1
}
started_up() { grep -q "start-up sequence done" "$H/out"; }
run_panel() { [ -e "$H/data/.K.DAT.lock" ]; }  # the recording is claimed as the run panel opens
recording() { [ "$(raw_samples "$D.RAW")" -gt 30 ]; }
ended() { ! kill -0 "$APID" 2>/dev/null; }

start_x() {
  : >"$H/xdisplay"
  Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$H/xdisplay" >/dev/null 2>&1 &
  XPID=$!
  wait_until 100 test -s "$H/xdisplay" || return 1
  export DISPLAY=:$(head -n 1 "$H/xdisplay")
}

# One ending, in a subshell of its own: its lines go to standard output.
end_run() {
  ending=$1
  trap cleanup EXIT
  H=$WORK/$ending
  D=$H/data/K
  mkdir -p "$H/data"
  "$CLI" setup new "$H/TLUXEXPT.EXP" --data-file "$D.DAT" --session-length 60 --sessions 2 >/dev/null
  start_x || { fail "no X server"; return; }
  QT_QPA_PLATFORM=xcb "$APP" --simulate --timing --home "$H" >"$H/out" 2>&1 &
  APID=$!
  window=$(timeout 30 xdotool search --sync --onlyvisible --name "Tracelux-One" | head -n 1)
  [ -n "$window" ] || { fail "no window"; return; }
  wait_until 300 started_up || { fail "the unit's start-up did not end"; return; }
  xdotool windowfocus --sync "$window" key ctrl+r
  wait_until 300 run_panel || fail "no run panel"
  sleep 0.5  # the unit's stream starts as the run panel opens
  xdotool key space
  wait_until 300 recording || fail "the run did not start"
  before=$(raw_samples "$D.RAW")
  case $ending in
    display) kill "$XPID" ;;
    *) kill -"$ending" "$APID" ;;
  esac
  wait_until 300 ended || { fail "still running 30 s after the ending"; kill -9 "$APID"; }
  wait "$APID" 2>/dev/null
  code=$?
  [ "$code" -ge 128 ] && fail "the program crashed (exit $code): $(tail -n 3 "$H/out")"
  APID=
  kill "$XPID" 2>/dev/null
  wait "$XPID" 2>/dev/null
  XPID=
  kept=$(dat_samples "$D.DAT")
  if [ -z "$kept" ]; then
    fail "no data file written: $(ls "$H/data" | tr '\n' ' ')"
  elif [ "$kept" -lt "$before" ]; then
    fail "the data file holds $kept samples, $before were recorded before the ending"
  fi
  [ -e "$D.RAW" ] && fail "the raw file was left beside the data file"
  ls "$H"/*.JOURNAL >/dev/null 2>&1 && fail "a journal was left to recover"
  [ -e "$D.MAP" ] && [ -e "$D.PRN" ] || fail "the map or results file was not written"
  echo "$ending: exit $code, $before samples recorded before the ending, ${kept:-0} in the data file"
}

for ending in HUP TERM display; do end_run "$ending" >"$WORK/$ending.report" 2>&1 & done
wait
cat "$WORK"/{HUP,TERM,display}.report
grep -q '^FAIL' "$WORK"/*.report && exit 1
echo "every ending left its data file written"
