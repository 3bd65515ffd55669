#!/usr/bin/env bash
# Installs the Debian package from a signed apt repository into a fresh minimal Debian system, as
# a laboratory's computer would get it, upgrades it from there to a newer build, and runs both
# programs as an ordinary user before and after:
#  - a minimal SUITE (bookworm, trixie) is bootstrapped (debootstrap --variant=minbase) from the
#    Debian mirror this machine's apt uses ($TLX_MIRROR if set);
#  - version N and its debug symbols go into an apt repository (scripts/make-repo.sh) signed by a
#    key made for the check, which the system adds with signed-by; apt installs them and must find
#    every dependency in the distribution;
#  - the user runs the programs (debian/tests/programs: a recording made and analysed, the desktop
#    program started offscreen on the simulated unit and ended by SIGTERM, its data in a visible
#    folder) and keeps a recording in the data folder;
#  - the newer build is added to the repository and `apt-get upgrade` must bring it, its debug
#    symbols with it, leaving the user's program home and recordings byte for byte as they were;
#    the programs run again; removing the package leaves none of its files behind, and the
#    user's files stay.
# Needs root (it runs itself through sudo otherwise) and access to the mirror.
#   scripts/check-install.sh SUITE OLD.deb NEW.deb   (the tracelux-dbgsym packages beside them)
#   scripts/check-install.sh SUITE                   builds both in a chroot of SUITE first
# Building in the chroot (for a Debian release other than this machine's) bootstraps a second
# minimal SUITE, installs the build dependencies there from debian/control, builds version N
# from this tree with its tests (dpkg-buildpackage), then the newer build (version N+upgrade1)
# without them. TLX_BOOTSTRAPPED_ROOT=DIR: use that untouched system (debootstrap --variant=minbase
# SUITE DIR MIRROR, made ahead) for the install instead of bootstrapping one; it is removed at
# the end.
#   scripts/check-install.sh --newer-entry CHANGELOG   only adds that entry to a changelog (./dev)
set -euo pipefail

# A new top entry in the changelog FILE: the same source as version N+upgrade1.
upgrade_entry() {
  local file=$1 version signer
  version=$(dpkg-parsechangelog -l "$file" -S Version)
  signer=$(dpkg-parsechangelog -l "$file" -S Maintainer)
  { printf 'tracelux (%s+upgrade1) unstable; urgency=medium\n\n' "$version"
    printf '  * The same source built again as a newer version, to check upgrades.\n\n'
    printf ' -- %s  %s\n\n' "$signer" "$(date -R)"
    cat "$file"; } >"$file.new"
  mv "$file.new" "$file"
}
if [ "${1:-}" = --newer-entry ] && [ $# -eq 2 ]; then upgrade_entry "$2"; exit 0; fi

[ $# -eq 1 ] || [ $# -eq 3 ] || { echo "usage: $0 SUITE [OLD.deb NEW.deb]" >&2; exit 2; }
suite=$1
top=$(cd "$(dirname "$0")/.." && pwd)
debs=()
for deb in "${@:2}"; do debs+=("$(realpath "$deb")"); done
if [ "$(id -u)" -ne 0 ]; then exec sudo "$0" "$suite" "${debs[@]}"; fi
command -v debootstrap >/dev/null || { echo "debootstrap is not installed (apt-get install debootstrap)" >&2; exit 2; }
[[ $suite =~ ^[a-z]+$ ]] || { echo "not a suite: $suite" >&2; exit 2; }

# The mirror this machine's apt is configured with.
sources=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
mirror=${TLX_MIRROR:-$(grep -oE 'https?://[^ ]*/debian/?( |$)' <<<"$sources" | head -n 1 | tr -d ' ' || true)}
security=$(grep -oE 'https?://[^ ]*/debian-security/?( |$)' <<<"$sources" | head -n 1 | tr -d ' ' || true)
[ -n "$mirror" ] || { echo "no Debian mirror in this machine's apt sources: set TLX_MIRROR" >&2; exit 2; }

work=$(mktemp -d /tmp/tracelux-check-install-XXXXXX)
roots=()
cleanup() {
  local r m
  for r in "${roots[@]}"; do
    for m in dev/pts dev proc; do mountpoint -q "$r/$m" && umount -l "$r/$m"; done
    rm -rf --one-file-system "$r"
  done
  rm -rf --one-file-system "$work"
}
trap cleanup EXIT
fail() { echo "INSTALL CHECK FAILED: $*" >&2; exit 1; }
start=$SECONDS
took() { echo "  ($((SECONDS - start)) s so far)"; }

# A minimal SUITE at $1, its apt pointed at the mirror, with /proc and /dev mounted.
bootstrap() {
  local root=$1
  roots+=("$root")
  echo "Bootstrapping a minimal Debian $suite from $mirror"
  debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    { tail -n 30 "$work/debootstrap.log"; fail "debootstrap"; }
  setup_root "$root"
}
setup_root() {
  local root=$1
  {
    echo "deb $mirror $suite main"
    echo "deb $mirror $suite-updates main"
    [ -n "$security" ] && echo "deb $security $suite-security main"
  } >"$root/etc/apt/sources.list"
  mount -t proc proc "$root/proc"
  mount --bind /dev "$root/dev"
  mount --bind /dev/pts "$root/dev/pts"
}
in_root() {
  local root=$1
  shift
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"
}
as_user() {
  chroot --userspec=scientist:scientist "$root" /usr/bin/env -i HOME=/home/scientist \
    PATH=/usr/bin:/bin LANG=C.UTF-8 /bin/sh -c "$1"
}

as_builder() {
  chroot --userspec=builder:builder "$work/build-root" /usr/bin/env -i HOME=/build \
    PATH=/usr/bin:/bin LANG=C.UTF-8 /bin/sh -c "$1"
}

# Version N and N+upgrade1 built in a chroot of SUITE: this tree's files, its build dependencies
# from debian/control, the tests run in the first build.
build_in_chroot() {
  local build=$work/build-root src version
  bootstrap "$build"
  echo "  bootstrapped the build system"; took
  in_root "$build" apt-get update -qq || fail "apt-get update (build system)"
  local depends
  depends=$(sed -n '/^Build-Depends:/,/^[A-Z]/p' "$top/debian/control" | sed '1s/^Build-Depends://;$d' |
            tr -d '\n' | sed 's/<[^>]*>//g; s/  */ /g; s/, *$//')
  in_root "$build" apt-get install -y -qq --no-install-recommends build-essential fakeroot >"$work/deps.log" 2>&1 &&
    in_root "$build" apt-get satisfy -y -qq --no-install-recommends "$depends" >>"$work/deps.log" 2>&1 ||
    { tail -n 30 "$work/deps.log"; fail "the build dependencies did not install on $suite"; }
  echo "  build dependencies installed: $(in_root "$build" dpkg-query -W -f='${Version}' qt6-base-dev) of Qt"; took
  version=$(dpkg-parsechangelog -l "$top/debian/changelog" -S Version)
  src=$build/build/tracelux-${version%-*}
  mkdir -p "$src"
  (cd "$top" && git ls-files -z -co --exclude-standard | xargs -0 tar -cf - --no-recursion) | tar -xf - -C "$src"
  (cd "$top" && git describe --always --dirty) >"$src/.build-commit"
  local jobs
  jobs=$(nproc)
  # Built by an ordinary user, as the tests of refused permissions expect.
  in_root "$build" useradd --home-dir /build builder
  chown -R "$(in_root "$build" id -u builder):$(in_root "$build" id -g builder)" "$build/build"
  as_builder "cd /build/tracelux-${version%-*} && DEB_BUILD_OPTIONS=parallel=$jobs dpkg-buildpackage -us -uc -b" \
    >"$work/build1.log" 2>&1 || { tail -n 80 "$work/build1.log"; fail "the package did not build (or its tests failed) on $suite"; }
  grep -E "tests passed|tests failed" "$work/build1.log" | tail -n 1
  echo "  version $version built and tested on $suite"; took
  upgrade_entry "$src/debian/changelog"
  as_builder "cd /build/tracelux-${version%-*} && DEB_BUILD_OPTIONS='parallel=$jobs nocheck' dpkg-buildpackage -us -uc -b -nc" \
    >"$work/build2.log" 2>&1 || { tail -n 60 "$work/build2.log"; fail "the newer build failed on $suite"; }
  mkdir -p "$work/debs"
  cp "$build"/build/*.deb "$work/debs/"
  debs=("$(ls "$work"/debs/tracelux_"$version"_*.deb)" "$(ls "$work"/debs/tracelux_"$version"+upgrade1_*.deb)")
  echo "  newer build $version+upgrade1 made"; took
}

[ ${#debs[@]} -eq 2 ] || build_in_chroot
old=${debs[0]} new=${debs[1]}
old_version=$(dpkg-deb -f "$old" Version) new_version=$(dpkg-deb -f "$new" Version)
dpkg --compare-versions "$new_version" gt "$old_version" || fail "$new_version is not newer than $old_version"
dbgsym() { echo "$(dirname "$1")/$(basename "$1" | sed 's/^tracelux_/tracelux-dbgsym_/')"; }

if [ -n "${TLX_BOOTSTRAPPED_ROOT:-}" ]; then
  root=$(realpath "$TLX_BOOTSTRAPPED_ROOT")
  [ -x "$root/usr/bin/apt-get" ] && [ ! -e "$root/usr/bin/tracelux" ] || fail "not a fresh system: $root"
  roots+=("$root")
  echo "A minimal Debian $suite bootstrapped beforehand: $root"
  setup_root "$root"
else
  bootstrap "$work/root"
  root=$work/root
fi
echo "  the system to install on is ready"; took

# The repository, signed by a key of the check's own, served to the system as a folder.
export GNUPGHOME=$work/gnupg
mkdir -m 700 "$GNUPGHOME"
gpg --batch --passphrase '' --quick-gen-key "Tracelux-One install check" ed25519 sign 1d 2>/dev/null
key=$(gpg --batch --with-colons --list-keys | awk -F: '/^fpr:/ { print $10; exit }')
repo=$root/srv/tracelux
"$top/scripts/make-repo.sh" "$repo" "$suite" "$key" "$old" "$(dbgsym "$old")" >/dev/null
cp "$repo/tracelux-archive-keyring.gpg" "$root/usr/share/keyrings/"
cat >"$root/etc/apt/sources.list.d/tracelux.sources" <<EOF
Types: deb
URIs: file:/srv/tracelux
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/tracelux-archive-keyring.gpg
EOF
in_root "$root" apt-get update -qq >"$work/update.log" 2>&1 || { cat "$work/update.log"; fail "apt-get update"; }
grep -qi "not signed\|NO_PUBKEY\|insecure" "$work/update.log" && fail "apt did not trust the repository: $(cat "$work/update.log")"
in_root "$root" apt-get install -y -qq --no-install-recommends tracelux tracelux-dbgsym >"$work/install.log" 2>&1 ||
  { tail -n 30 "$work/install.log"; fail "the package did not install from the repository"; }
installed() { in_root "$root" dpkg-query -W -f='${Version}' "$1"; }
[ "$(installed tracelux)" = "$old_version" ] && [ "$(installed tracelux-dbgsym)" = "$old_version" ] ||
  fail "installed $(installed tracelux) / $(installed tracelux-dbgsym), not $old_version"
echo "  tracelux and tracelux-dbgsym $old_version installed from the signed repository with" \
     "$(in_root "$root" dpkg-query -W -f='${Package}\n' | wc -l) packages in all"; took

in_root "$root" useradd --create-home --shell /bin/bash scientist
cp "$top/debian/tests/programs" "$root/tmp/programs"
chmod 755 "$root/tmp/programs"
as_user /tmp/programs || fail "the programs did not run (version $old_version)"
ini=$root/home/scientist/.config/tracelux/TRACELUX.INI
data=$(sed -n 's/^Data Dir = "\(.*\)"\r$/\1/p' "$ini")
as_user "cp \$HOME/demo/DEMO.DAT '$data/KEPT.DAT'" || fail "no recording could be kept in $data"
snapshot() { (cd "$root/home/scientist" && find . -type f ! -name '*.log' -print0 | sort -z | xargs -0 sha256sum); }
snapshot >"$work/before"
kept=$(sha256sum <"$root$data/KEPT.DAT")

"$top/scripts/make-repo.sh" "$repo" "$suite" "$key" "$new" "$(dbgsym "$new")" >/dev/null
in_root "$root" apt-get update -qq || fail "apt-get update after the newer build"
in_root "$root" apt-get upgrade -y -qq >"$work/upgrade.log" 2>&1 || { tail -n 30 "$work/upgrade.log"; fail "apt-get upgrade"; }
[ "$(installed tracelux)" = "$new_version" ] && [ "$(installed tracelux-dbgsym)" = "$new_version" ] ||
  fail "apt-get upgrade left $(installed tracelux) / $(installed tracelux-dbgsym), not $new_version"
snapshot | diff "$work/before" - || fail "the upgrade changed the user's files"
echo "  apt-get upgrade brought $new_version and its debug symbols; the program home and the" \
     "$(grep -c . "$work/before") files of the user stayed as they were"; took
for program in usr/bin/tracelux usr/bin/tracelux-cli usr/libexec/tracelux/tracelux-plot; do
  id=$(readelf -n "$root/$program" | sed -n 's/.*Build ID: *//p')
  [ -f "$root/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug" ] || fail "no debug symbols for /$program"
done
as_user /tmp/programs || fail "the programs did not run after the upgrade ($new_version)"
[ "$(sha256sum <"$root$data/KEPT.DAT")" = "$kept" ] || fail "the kept recording changed"

in_root "$root" apt-get purge -y -qq tracelux tracelux-dbgsym >/dev/null 2>&1 || fail "the packages could not be removed"
for left in /usr/bin/tracelux /usr/bin/tracelux-cli /usr/libexec/tracelux /usr/share/tracelux \
            /usr/share/doc/tracelux /usr/share/applications/org.tracelux.tracelux.desktop \
            /usr/share/applications/tracelux.desktop /usr/lib/debug/.build-id/"${id:0:2}/${id:2}.debug"; do
  [ -e "$root$left" ] || [ -L "$root$left" ] && fail "removal left $left behind"
done
[ -f "$root$data/KEPT.DAT" ] && [ -f "$ini" ] || fail "removing the package removed the user's files"
echo "Install check passed in $((SECONDS - start)) s on a fresh Debian $suite:" \
     "$old_version installed from a signed repository, upgraded to $new_version, removed"
