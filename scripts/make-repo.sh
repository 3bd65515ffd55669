#!/usr/bin/env bash
# Puts Debian packages into an apt repository made with apt-ftparchive: the packages go to
# pool/SUITE/main/ (earlier versions stay there, so a computer can still go back to one), the
# indexes of each suite are made anew from its pool, and the Release file is signed with gpg key
# KEY (InRelease and Release.gpg) when one is given; the key's public half is written beside them
# as tracelux-archive-keyring.gpg, for `signed-by`. A repository can hold several suites (one per
# Debian release the packages were built on).
#   scripts/make-repo.sh DIR SUITE KEY|"" PACKAGE.deb...
set -euo pipefail
[ $# -ge 4 ] || { echo "usage: $0 DIR SUITE KEY|\"\" PACKAGE.deb..." >&2; exit 2; }
dir=$1 suite=$2 key=$3
shift 3
[[ $suite =~ ^[a-z][a-z0-9-]*$ ]] || { echo "not a suite name: $suite" >&2; exit 2; }
mkdir -p "$dir/pool/$suite/main"
for deb in "$@"; do
  [ -f "$deb" ] || { echo "no package $deb" >&2; exit 1; }
  name=$(dpkg-deb -f "$deb" Package)
  sub=$dir/pool/$suite/main/${name:0:1}/$name
  mkdir -p "$sub"
  cp "$deb" "$sub/"
done
dir=$(realpath "$dir")
cd "$dir"
dists=dists/$suite
archs=$(find "pool/$suite" -name '*.deb' -exec dpkg-deb -f {} Architecture \; | sort -u | grep -v '^all$' || true)
[ -n "$archs" ] || archs=$(dpkg --print-architecture)
for arch in $archs; do
  mkdir -p "$dists/main/binary-$arch"
  apt-ftparchive --arch "$arch" packages "pool/$suite" >"$dists/main/binary-$arch/Packages"
  gzip -9nkf "$dists/main/binary-$arch/Packages"
  xz -kf "$dists/main/binary-$arch/Packages"
done
rm -f "$dists/Release" "$dists/InRelease" "$dists/Release.gpg"
apt-ftparchive \
  -o APT::FTPArchive::Release::Origin=Tracelux-One \
  -o APT::FTPArchive::Release::Label=Tracelux-One \
  -o APT::FTPArchive::Release::Suite="$suite" \
  -o APT::FTPArchive::Release::Codename="$suite" \
  -o APT::FTPArchive::Release::Architectures="$(echo $archs)" \
  -o APT::FTPArchive::Release::Components=main \
  -o APT::FTPArchive::Release::Description="Tracelux-One for Debian $suite" \
  release "$dists" >"$dir/Release.new"
mv "$dir/Release.new" "$dists/Release"
if [ -n "$key" ]; then
  gpg --batch --yes --local-user "$key" --clearsign -o "$dists/InRelease" "$dists/Release"
  gpg --batch --yes --local-user "$key" --armor --detach-sign -o "$dists/Release.gpg" "$dists/Release"
  gpg --batch --yes --export "$key" >"$dir/tracelux-archive-keyring.gpg"
  echo "Repository $dir, suite $suite: $(find "pool/$suite" -name '*.deb' | wc -l) packages, signed by $key"
else
  echo "Repository $dir, suite $suite: $(find "pool/$suite" -name '*.deb' | wc -l) packages, NOT signed" \
       "(apt takes it only with [trusted=yes])"
fi
