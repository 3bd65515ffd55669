#!/bin/sh
# Takes the pictures of the desktop program shown in the README: the real program on the
# simulated unit, under a virtual X display, with a throw-away program home.
#   scripts/screenshots.sh [BUILD_DIR] [OUT_DIR]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
out=${2:-$here/docs/screenshots}
program=$build/src/app/tracelux
if [ ! -x "$program" ]; then
  echo "no $program: build the desktop program first" >&2
  exit 1
fi
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$out"

# A recorded run for the data panel: three sessions of the simulated animal over a map with a
# centre zone, made by the command line into the data directory of the throw-away home.
cli=$build/src/cli/tracelux-cli
if [ -x "$cli" ]; then
  mkdir -p "$home/DATA"
  awk 'BEGIN { for (r = 0; r < 24; r++) { line = "";
      for (c = 0; c < 32; c++) {
        z = (r < 12 ? (c < 16 ? "A" : "B") : (c < 16 ? "C" : "D"));
        if (r >= 8 && r < 16 && c >= 11 && c < 21) z = "E";
        line = line z }
      print line } }' > "$home/demo-map.txt"
  "$cli" map import "$home/demo-map.txt" -o "$home/DEMO.MAP"
  printf 'Save Data = True\r\nData File = "%s"\r\nSession Length = 120\r\nNumber of Sessions = 3\r\nInitial Delay = 0\r\nMaximum Distance = 60\r\nAmbulatory Threshold = 6\r\nStereotypic Threshold = 3\r\nCalibrate Scale = 120\r\nCalibrate Reference = 36\r\nMeasurement Units = "cm"\r\nSample Rate = 5\r\n' \
    "$home/DATA/DEMO.DAT" > "$home/DEMO.EXP"
  "$cli" run --setup "$home/DEMO.EXP" --map "$home/DEMO.MAP" --seed 3 --home "$home" \
    --sim-start "2026-05-04 10:00:00" --yes > /dev/null
fi

xvfb-run -a -s "-screen 0 1280x900x24" \
  "$program" --home "$home" --simulate --screenshots "$out"

# The first page of the printed report, as the PDF the print dialog would write.
if [ -f "$out/report.pdf" ]; then
  pdftoppm -png -r 60 -f 1 -l 1 -singlefile "$out/report.pdf" "$out/report-page1"
  rm -f "$out/report.pdf"
fi
ls -l "$out"
