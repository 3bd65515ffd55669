#!/usr/bin/env bash
# Installs the Debian package into a fresh minimal Debian system, as a laboratory's computer would
# get it, and runs both programs there as an ordinary user: the system is bootstrapped
# (debootstrap --variant=minbase) from the Debian mirror this machine's apt uses, the package is
# installed with apt (which must find every dependency in the distribution), the command line
# records and analyses a demonstration run, the desktop program starts offscreen on the simulated
# unit and ends on SIGTERM, and removing the package leaves none of its files behind.
# Needs root (it runs itself through sudo otherwise) and network access to the mirror.
#   scripts/check-install.sh PACKAGE.deb
# On a slow machine the bootstrap can be started ahead, while the package is being built:
#   debootstrap --variant=minbase SUITE DIR MIRROR, then TLX_BOOTSTRAPPED_ROOT=DIR scripts/check-install.sh
# uses that untouched system instead of bootstrapping one (and removes it at the end, as its own).
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 PACKAGE.deb" >&2; exit 2; }
deb=$(realpath "$1")
if [ "$(id -u)" -ne 0 ]; then exec sudo "$0" "$deb"; fi
command -v debootstrap >/dev/null || { echo "debootstrap is not installed (apt-get install debootstrap)" >&2; exit 2; }

# The distribution and mirror this machine's apt is configured with.
. /etc/os-release
suite=$VERSION_CODENAME
sources=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
mirror=$(grep -oE 'https?://[^ ]*/debian/?( |$)' <<<"$sources" | head -n 1 | tr -d ' ' || true)
mirror=${mirror:-http://deb.debian.org/debian}
security=$(grep -oE 'https?://[^ ]*/debian-security/?( |$)' <<<"$sources" | head -n 1 | tr -d ' ' || true)

if [ -n "${TLX_BOOTSTRAPPED_ROOT:-}" ]; then
  root=$(realpath "$TLX_BOOTSTRAPPED_ROOT")
  [ -x "$root/usr/bin/apt-get" ] && [ ! -e "$root/usr/bin/tracelux" ] || { echo "not a fresh system: $root" >&2; exit 2; }
else
  root=$(mktemp -d /tmp/tracelux-check-install-XXXXXX)
fi
cleanup() {
  for m in dev/pts dev proc; do mountpoint -q "$root/$m" && umount -l "$root/$m"; done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT
fail() { echo "INSTALL CHECK FAILED: $*" >&2; exit 1; }
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }

start=$SECONDS
if [ -z "${TLX_BOOTSTRAPPED_ROOT:-}" ]; then
  echo "Bootstrapping a minimal Debian $suite from $mirror"
  debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$root.log" 2>&1 ||
    { tail -n 30 "$root.log"; rm -f "$root.log"; fail "debootstrap"; }
  rm -f "$root.log"
else
  echo "A minimal Debian $suite bootstrapped beforehand from $mirror: $root"
fi
{
  echo "deb $mirror $suite main"
  echo "deb $mirror $suite-updates main"
  [ -n "$security" ] && echo "deb $security $suite-security main"
} >"$root/etc/apt/sources.list"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
echo "  bootstrapped in $((SECONDS - start)) s"

cp "$deb" "$root/tmp/"
in_root apt-get update -qq || fail "apt-get update"
in_root apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$deb")" >"$root/tmp/install.log" 2>&1 ||
  { tail -n 30 "$root/tmp/install.log"; fail "the package did not install"; }
echo "  installed with its dependencies at $((SECONDS - start)) s: $(in_root dpkg-query -W -f='${Package} ${Version}' tracelux)"

in_root useradd --create-home --shell /bin/bash scientist
cat >"$root/tmp/run-programs.sh" <<'SCRIPT'
set -eu
cd "$HOME"
tracelux-cli --version
tracelux --version
tracelux-cli demo --dir "$HOME/demo" --sessions 2 --length 5 >demo.log 2>&1 || { cat demo.log; exit 1; }
tracelux-cli analyze "$HOME/demo/DEMO.DAT" >results.csv
grep -q '^ 2 ,ALL,' results.csv || { echo "no second session in: $(cat results.csv)"; exit 1; }
echo "tracelux-cli recorded and analysed a demonstration run"
QT_QPA_PLATFORM=offscreen tracelux --simulate --timing >gui.log 2>&1 &
gui=$!
for _ in $(seq 300); do
  grep -q "start-up sequence done" gui.log && break
  kill -0 $gui 2>/dev/null || break
  sleep 0.1
done
grep -q "start-up sequence done" gui.log || { echo "tracelux did not start:"; cat gui.log; kill -KILL $gui; exit 1; }
kill -TERM $gui
code=0
wait $gui || code=$?
[ $code -eq 0 ] || { echo "tracelux ended with code $code:"; cat gui.log; exit 1; }
[ -f "$HOME/.config/tracelux/TRACELUX.INI" ] || { echo "tracelux wrote no settings"; exit 1; }
[ -f /usr/share/tracelux/manual/index.html ] || { echo "the manual is not where F1 looks"; exit 1; }
echo "tracelux started offscreen on the simulated unit as $(id -un) and ended cleanly"
SCRIPT
chroot --userspec=scientist:scientist "$root" /usr/bin/env -i HOME=/home/scientist \
  PATH=/usr/bin:/bin LANG=C.UTF-8 /bin/bash /tmp/run-programs.sh || fail "the programs did not run"

in_root apt-get purge -y -qq tracelux >/dev/null 2>&1 || fail "the package could not be removed"
for left in /usr/bin/tracelux /usr/bin/tracelux-cli /usr/share/tracelux /usr/share/doc/tracelux \
            /usr/share/applications/tracelux.desktop; do
  [ -e "$root$left" ] || [ -L "$root$left" ] && fail "removal left $left behind"
done
echo "Install check passed in $((SECONDS - start)) s: $(basename "$deb") on a fresh Debian $suite"
