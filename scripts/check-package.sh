#!/usr/bin/env bash
# Proves that what the Debian package holds runs: unpacks it into a temporary folder (nothing is
# installed), checks its files and dependencies, validates the desktop entry and the AppStream
# description, runs the unpacked command line on a recording it makes, and starts the unpacked
# desktop program offscreen and ends it with SIGTERM.
#   scripts/check-package.sh PACKAGE.deb
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 PACKAGE.deb" >&2; exit 2; }
deb=$(realpath "$1")
top=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
gui=""
cleanup() {
  [ -n "$gui" ] && kill -KILL "$gui" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "PACKAGE CHECK FAILED: $*" >&2; exit 1; }

root=$tmp/root
dpkg-deb -x "$deb" "$root"
cli=$root/usr/bin/tracelux-cli

# The dependencies were worked out from the programs' libraries.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6printsupport6 libc6 libstdc++6; do
  [[ $depends == *"$lib"* ]] || fail "Depends does not name $lib: $depends"
done

files=(usr/bin/tracelux usr/bin/tracelux-cli usr/share/applications/tracelux.desktop
       usr/share/metainfo/org.tracelux.tracelux.metainfo.xml
       usr/share/icons/hicolor/scalable/apps/tracelux.svg)
for size in 16 22 24 32 48 64 128 256; do
  files+=("usr/share/icons/hicolor/${size}x${size}/apps/tracelux.png")
done
# The manual and the man pages, once the tree installs them.
if [ -f "$top/docs/CMakeLists.txt" ]; then
  files+=(usr/share/doc/tracelux/manual/index.html)
  ls "$root"/usr/share/man/man1/tracelux-cli.1* >/dev/null 2>&1 || fail "no man page for tracelux-cli"
fi
for f in "${files[@]}"; do
  [ -s "$root/$f" ] || fail "the package lacks $f"
done
desktop-file-validate "$root/usr/share/applications/tracelux.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.tracelux.tracelux.metainfo.xml" >/dev/null ||
  fail "AppStream description: $(appstreamcli validate --no-net "$root/usr/share/metainfo/org.tracelux.tracelux.metainfo.xml")"

# The command line: its version is the package's, and it analyses a recording it made.
version=$(dpkg-deb -f "$deb" Version)
said=$("$cli" --version)
[[ $said == "tracelux-cli ${version%-*} (build "*")" ]] || fail "tracelux-cli --version said: $said"
"$cli" demo --dir "$tmp/demo" --sessions 2 --length 5 >"$tmp/demo.log" 2>&1 || fail "demo: $(cat "$tmp/demo.log")"
"$cli" analyze "$tmp/demo/DEMO.DAT" --decimal-point >"$tmp/results.csv" || fail "analyze"
grep -q '^ 2 ,ALL,' "$tmp/results.csv" || fail "the analysis has no second session: $(cat "$tmp/results.csv")"

# The desktop program: started offscreen on the simulated unit in its own home, then ended by
# SIGTERM, which it answers with its orderly shutdown (settings written, exit code 0).
QT_QPA_PLATFORM=offscreen "$root/usr/bin/tracelux" --home "$tmp/home" --simulate --timing \
  >"$tmp/gui.log" 2>&1 &
gui=$!
for _ in $(seq 300); do
  grep -q "start-up sequence done" "$tmp/gui.log" && break
  kill -0 "$gui" 2>/dev/null || break
  sleep 0.1
done
grep -q "start-up sequence done" "$tmp/gui.log" || fail "tracelux did not start: $(cat "$tmp/gui.log")"
kill -TERM "$gui"
for _ in $(seq 300); do
  kill -0 "$gui" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$gui" 2>/dev/null && fail "tracelux did not end within 30 s of SIGTERM"
code=0
wait "$gui" || code=$?
gui=""
[ "$code" -eq 0 ] || fail "tracelux ended with code $code: $(cat "$tmp/gui.log")"
[ -f "$tmp/home/TRACELUX.INI" ] && [ -f "$tmp/home/WINDOW.INI" ] ||
  fail "tracelux did not write its settings at shutdown"
echo "Package $(basename "$deb") checked: $said; Depends: $depends"
