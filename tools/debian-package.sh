#!/bin/sh
# The Debian source and binary packages, made by dpkg-buildpackage from a
# copy of the files git tracks in SOURCE, as they are in the working tree
# (uncommitted edits included, untracked files left out). The copy is
# OUT/vantaro-VERSION, removed after a good build; the .dsc, .tar.xz, .deb,
# -dbgsym .deb, .buildinfo and .changes land in OUT, and dpkg-buildpackage's
# output in OUT/build.log. Prints the path of the .deb, alone on stdout.
#   debian-package.sh SOURCE OUT [JOBS]
#
# The copy's files are dated debian/changelog's time and read-only to group
# and others, whatever the checkout's times and umask were, so the source
# archive is the same from any checkout of one commit.
set -eu
source=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
jobs=${3:-$(nproc)}
version=$(dpkg-parsechangelog -l "$source/debian/changelog" -S Version)
epoch=$(dpkg-parsechangelog -l "$source/debian/changelog" -S Timestamp)
tree=$out/vantaro-$version
log=$out/build.log

rm -rf "$tree"
mkdir "$tree"
# Tracked files deleted in the working tree are left out.
git -C "$source" ls-files -z |
    (cd "$source" && xargs -0 -r sh -c 'for f; do if [ -e "$f" ] || [ -L "$f" ]; then printf "%s\0" "$f"; fi; done' list) |
    (cd "$source" && tar --null --no-recursion --files-from=- -cf -) |
    tar -xf - -C "$tree"
chmod -R u=rwX,go=rX "$tree"
find "$tree" -exec touch --no-dereference --date="@$epoch" {} +

if ! (cd "$tree" && dpkg-buildpackage -us -uc -J"$jobs") >"$log" 2>&1; then
    tail -n 15 "$log" >&2
    echo "debian-package: dpkg-buildpackage failed; its output is in $log" >&2
    exit 1
fi
rm -rf "$tree"
echo "$out/vantaro_${version}_$(dpkg --print-architecture).deb"
