#!/usr/bin/env bash
# Proves that what the Debian package holds runs and that Debian would take it: lintian (pedantic)
# finds no error and no warning in it or in its debug-symbol package; it unpacks into a temporary
# folder (nothing is installed); its files, modes, dependencies, hardening and debug symbols are
# checked; the desktop entry and the AppStream description are validated; the unpacked command
# line runs on a recording it makes, and the unpacked desktop program starts offscreen and ends on
# SIGTERM.
#   scripts/check-package.sh PACKAGE.deb     (the debug-symbol package is looked for beside it)
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 PACKAGE.deb" >&2; exit 2; }
deb=$(realpath "$1")
dbgsym=$(dirname "$deb")/$(basename "$deb" | sed 's/^tracelux_/tracelux-dbgsym_/')
tmp=$(mktemp -d)
gui=""
cleanup() {
  [ -n "$gui" ] && kill -KILL "$gui" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "PACKAGE CHECK FAILED: $*" >&2; exit 1; }

[ -f "$dbgsym" ] || fail "no debug-symbol package $dbgsym"
# Lintian as Debian's archive runs it, and more: every tag is shown, pedantic ones included; an
# error or a warning fails the check.
echo "lintian -EvIL +pedantic $(basename "$deb") $(basename "$dbgsym"):"
lintian -EvIL +pedantic --fail-on error,warning --tag-display-limit 0 "$deb" "$dbgsym" \
  >"$tmp/lintian.log" 2>&1 || lintian_failed=1
grep -v "running with root privileges" "$tmp/lintian.log" || true
[ -z "${lintian_failed:-}" ] || fail "lintian reports errors or warnings"

root=$tmp/root
dpkg-deb -x "$deb" "$root"
cli=$root/usr/bin/tracelux-cli

# The dependencies were worked out from the programs' libraries.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6printsupport6 libc6 libstdc++6; do
  [[ $depends == *"$lib"* ]] || fail "Depends does not name $lib: $depends"
done

files=(usr/bin/tracelux usr/bin/tracelux-cli usr/libexec/tracelux/tracelux-plot
       usr/share/applications/org.tracelux.tracelux.desktop usr/share/applications/tracelux.desktop
       usr/share/metainfo/org.tracelux.tracelux.metainfo.xml
       usr/share/icons/hicolor/scalable/apps/tracelux.svg
       usr/share/doc/tracelux/copyright usr/share/doc/tracelux/changelog.Debian.gz
       usr/share/doc/tracelux/README.Debian
       usr/share/man/man1/tracelux.1.gz usr/share/man/man1/tracelux-cli.1.gz)
for size in 16 22 24 32 48 64 128 256; do
  files+=("usr/share/icons/hicolor/${size}x${size}/apps/tracelux.png")
done
# The manual in the program's data folder (where F1 looks), reached from the documentation folder
# too, and registered with doc-base.
files+=(usr/share/tracelux/manual/index.html usr/share/doc/tracelux/manual/index.html
        usr/share/doc-base/tracelux)
for f in "${files[@]}"; do
  [ -s "$root/$f" ] || fail "the package lacks $f"
done
# The upstream changelog, when the source has one.
[ ! -f "$(dirname "$0")/../CHANGELOG.md" ] || [ -s "$root/usr/share/doc/tracelux/changelog.gz" ] ||
  fail "the package lacks the upstream changelog"
copyright=$root/usr/share/doc/tracelux/copyright
grep -q '^License: GPL-3+$' "$copyright" || fail "copyright does not give the GPL, version 3 or later"
grep -q '^License: BSD-3-clause' "$copyright" || fail "copyright lacks CLI11's licence"
grep -q '<project_license>GPL-3.0-or-later</project_license>' \
  "$root/usr/share/metainfo/org.tracelux.tracelux.metainfo.xml" || fail "AppStream names another licence"
grep -q 'dialout' "$root/usr/share/doc/tracelux/README.Debian" || fail "README.Debian says nothing of dialout"
entry=$root/usr/share/applications/org.tracelux.tracelux.desktop
grep -q '^Exec=tracelux --simulate$' "$entry" || fail "the desktop entry has no simulated-unit action"
# The entry's former name still starts the program, without a second menu item.
grep -q '^NoDisplay=true$' "$root/usr/share/applications/tracelux.desktop" &&
  grep -q '^Exec=tracelux$' "$root/usr/share/applications/tracelux.desktop" ||
  fail "the former desktop entry tracelux.desktop does not start the program unlisted"

# Both packages as Debian makes them: every folder 0755 (the package's root too), files 0644 or
# 0755, owned by root; the debug files not executable; one compression (xz) for both.
for package in "$deb" "$dbgsym"; do
  bad=$(dpkg-deb -c "$package" | awk '$2 != "root/root" ||
        ($1 ~ /^d/ && $1 != "drwxr-xr-x") || ($1 ~ /^-/ && $1 != "-rw-r--r--" && $1 != "-rwxr-xr-x")')
  [ -z "$bad" ] || fail "$(basename "$package") has unusual owners or modes: $bad"
  [ "$(ar t "$package" | grep '^data\.tar')" = data.tar.xz ] || fail "$(basename "$package") is not xz-compressed"
done
dpkg-deb -c "$dbgsym" | grep '\.debug$' | grep -q '^-rwx' && fail "debug files are executable"

# Hardened: immediate binding, read-only relocations, stack protector, fortified functions (in
# whichever program calls one). Each tool's output is taken whole first: a grep -q that stops
# reading early would fail the pipe.
fortified=""
debug_files=$(dpkg-deb -c "$dbgsym")
for program in tracelux tracelux-cli tracelux-plot; do
  elf=$root/usr/bin/$program
  [ "$program" = tracelux-plot ] && elf=$root/usr/libexec/tracelux/$program
  dynamic=$(readelf -d "$elf"); segments=$(readelf -lW "$elf"); symbols=$(readelf --dyn-syms -W "$elf")
  sections=$(readelf -S "$elf"); notes=$(readelf -n "$elf")
  grep -q 'BIND_NOW' <<<"$dynamic" || fail "$program is not linked with -z now"
  grep -q 'GNU_RELRO' <<<"$segments" || fail "$program has no read-only relocations"
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "$program has no stack protector"
  grep -q '__[a-z]*_chk@' <<<"$symbols" && fortified+=" $program"
  # Stripped (the compiler's .comment notes too), with its symbols in the debug package under its
  # build ID, their sections compressed.
  grep -q '\.debug_info' <<<"$sections" && fail "$program is not stripped"
  grep -q '\.comment' <<<"$sections" && fail "$program keeps its .comment section"
  id=$(sed -n 's/.*Build ID: *//p' <<<"$notes")
  [ -n "$id" ] || fail "$program has no build ID"
  grep -q "usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug" <<<"$debug_files" ||
    fail "the debug-symbol package has no symbols for $program (build ID $id)"
done
dpkg-deb -x "$dbgsym" "$tmp/dbgsym"
debug=$(find "$tmp/dbgsym/usr/lib/debug/.build-id" -name '*.debug' | head -n 1)
readelf -SW "$debug" | grep '\.debug_info' | grep -Eq ' [A-Z]*C[A-Z]* +[0-9]+ +[0-9]+ +[0-9]+$' ||
  fail "debug sections are not compressed"
[ -n "$fortified" ] || fail "no program uses a fortified function (_FORTIFY_SOURCE)"
desktop-file-validate "$entry" || fail "desktop entry"
desktop-file-validate "$root/usr/share/applications/tracelux.desktop" || fail "former desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.tracelux.tracelux.metainfo.xml" >/dev/null ||
  fail "AppStream description: $(appstreamcli validate --no-net "$root/usr/share/metainfo/org.tracelux.tracelux.metainfo.xml")"

# The command line: its version is the package's, and it analyses a recording it made.
version=$(dpkg-deb -f "$deb" Version)
said=$("$cli" --version)
[[ $said == "tracelux-cli ${version%-*} (build "*")" || $said == "tracelux-cli ${version%-*} (local build "*")" ]] || fail "tracelux-cli --version said: $said"
"$cli" demo --dir "$tmp/demo" --sessions 2 --length 5 >"$tmp/demo.log" 2>&1 || fail "demo: $(cat "$tmp/demo.log")"
"$cli" analyze "$tmp/demo/DEMO.DAT" --decimal-point >"$tmp/results.csv" || fail "analyze"
grep -q '^ 2 ,ALL,' "$tmp/results.csv" || fail "the analysis has no second session: $(cat "$tmp/results.csv")"
# plot runs as the plot program the package installs in libexec; the command line loads no Qt.
"$cli" plot "$tmp/demo/DEMO.DAT" --kind trace -o "$tmp/trace.png" >"$tmp/plot.log" 2>&1 ||
  fail "plot: $(cat "$tmp/plot.log")"
[ -s "$tmp/trace.png" ] || fail "plot wrote no picture"
libraries=$(ldd "$cli")
grep -q -i qt <<<"$libraries" && fail "tracelux-cli is linked with Qt"

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
