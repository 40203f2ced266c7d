#!/bin/sh
# The Debian packages as ./dev package makes them (tools/debian-package.sh):
# built twice to the same bytes, clean to lintian, the binary package's
# control fields and file list; then installed into a throwaway root with an
# admin folder of its own, the autopkgtest's own scripts run against the
# program there, and removed without a trace.
#   package_test.sh BUILD SOURCE    (BUILD unused: the packages are built from SOURCE)
set -u
source=$2
for tool in git dpkg dpkg-deb dpkg-buildpackage dpkg-checkbuilddeps dpkg-parsechangelog dh lintian; do
    command -v $tool >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
git -C "$source" rev-parse --git-dir >/dev/null 2>&1 || { echo "skipped: $source is not a git checkout"; exit 77; }
unmet=$(cd "$source" && dpkg-checkbuilddeps 2>&1) || { echo "skipped: $unmet"; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Two builds of the same files, each a whole dpkg-buildpackage from a fresh
# copy, the second in a folder path of another length, two seconds later,
# under another umask, time zone and locale. They run side by side, one job
# each, so that one's serial steps (configuring, dh's helpers, dpkg-source,
# dpkg-deb) fill the other's gaps: on two cores both take little longer
# than one build with two jobs, about a minute here.
one=$tmp/one
two=$tmp/second/build/folder
"$source/tools/debian-package.sh" "$source" "$one" 1 >"$tmp/one.out" 2>"$tmp/one.err" &
first=$!
sleep 2
(umask 002 && TZ=Pacific/Kiritimati LC_ALL=C.UTF-8 \
    "$source/tools/debian-package.sh" "$source" "$two" 1 >"$tmp/two.out" 2>"$tmp/two.err") &
second=$!
wait $first || { cat "$tmp/one.err"; fail "the first package build failed"; }
wait $second || { cat "$tmp/two.err"; fail "the second package build failed"; }

version=$(dpkg-parsechangelog -l "$source/debian/changelog" -S Version)
project_version=$(sed -n 's/^project(vantaro VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
[ "$version" = "$project_version" ] || fail "debian/changelog's version $version is not the project's $project_version"
arch=$(dpkg --print-architecture)
deb=$one/vantaro_${version}_$arch.deb
[ "$(cat "$tmp/one.out")" = "$deb" ] || fail "the build printed '$(cat "$tmp/one.out")', not $deb"
# .buildinfo and .changes name the build's options (its job count), so they
# are not compared; the packages themselves are.
for name in vantaro_$version.dsc vantaro_$version.tar.xz vantaro_${version}_$arch.deb vantaro-dbgsym_${version}_$arch.deb; do
    [ -f "$one/$name" ] || { ls "$one"; fail "no $name"; }
    cmp "$one/$name" "$two/$name" || fail "two builds of $name differ"
done

# Errors and warnings fail, and so do the hardening tags, which are info.
lintian --pedantic --display-info --fail-on error,warning \
    "$one/vantaro_${version}_$arch.changes" "$one/vantaro_$version.dsc" "$deb" >"$tmp/lintian.log" 2>&1 &&
    ! grep -q ' hardening-' "$tmp/lintian.log" || { cat "$tmp/lintian.log"; fail "lintian"; }

field() { dpkg-deb --field "$deb" "$1"; }
for pair in Package=vantaro Version=$version Section=games Architecture=$arch; do
    [ "$(field "${pair%%=*}")" = "${pair#*=}" ] || fail "${pair%%=*} is '$(field "${pair%%=*}")', not '${pair#*=}'"
done
field Maintainer | grep -q '<.*@.*>' || fail "Maintainer '$(field Maintainer)' has no address"
[ "$(field Description | wc -l)" -ge 3 ] || fail "the Description has no long text"
depends=$(field Depends)
for lib in libc6 libstdc++6 libsdl2-2.0-0 libpng16-16; do
    echo "$depends" | grep -q "\(^\|, \)$lib\( (\|,\|$\)" || fail "Depends lacks $lib: $depends"
done

# A package made from the upstream tree itself (3.0 (native)) has one
# changelog; one with a Debian revision keeps Debian's beside upstream's.
if grep -qx '3.0 (native)' "$source/debian/source/format"; then changelog=changelog.gz; else changelog=changelog.Debian.gz; fi
dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '/$' | sed 's|^\./||' | sort >"$tmp/files"
for f in usr/games/vantaro usr/share/vantaro/Images/machine.bmp usr/share/vantaro/Sounds/spin.wav \
         usr/share/applications/org.vantaro.Vantaro.desktop usr/share/metainfo/org.vantaro.Vantaro.metainfo.xml \
         usr/share/icons/hicolor/16x16/apps/vantaro.png usr/share/icons/hicolor/256x256/apps/vantaro.png \
         usr/share/man/man6/vantaro.6.gz usr/share/doc/vantaro/copyright usr/share/doc/vantaro/$changelog; do
    grep -qx "$f" "$tmp/files" || fail "the package lacks /$f"
done
grep -v '^usr/' "$tmp/files" && fail "the package installs outside /usr"
grep '^usr/bin/' "$tmp/files" && fail "the program is not in /usr/games alone"

# A root with an empty package database; the libraries come from the host,
# so their absence from that database is forced past. --path-include undoes
# any path-exclude (a trimmed image's man and doc folders) of the host.
root=$tmp/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
find "$root" | sort >"$tmp/before"
dpkg_root() { dpkg --root="$root" --log=/dev/null --force-not-root --force-depends --path-include='*' "$@"; }
dpkg_root --install "$deb" >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; fail "dpkg --install failed"; }
[ "$(dpkg-query --admindir="$root/var/lib/dpkg" -W -f='${Status}' vantaro)" = "install ok installed" ] ||
    fail "vantaro is not installed in the root"
for f in $(cat "$tmp/files"); do [ -f "$root/$f" ] || fail "/$f was not installed"; done

# Every test debian/tests/control names, given the program in the root in
# place of /usr/games/vantaro.
tests=$(sed -n 's/^Tests: *//p' "$source/debian/tests/control" | tr ',' ' ')
[ -n "$tests" ] || fail "debian/tests/control names no test"
for t in $tests; do
    TMPDIR=$tmp "$source/debian/tests/$t" "$root/usr/games/vantaro" || fail "the autopkgtest $t failed"
done

dpkg_root --purge vantaro >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; fail "dpkg --purge failed"; }
# Left: the admin folder, as before plus dpkg's own bookkeeping.
find "$root" | grep -v "^$root/var/lib/dpkg/" | sort >"$tmp/after"
grep -v "^$root/var/lib/dpkg/" "$tmp/before" | diff -u - "$tmp/after" || fail "the removal left files behind"
[ -z "$(dpkg-query --admindir="$root/var/lib/dpkg" -W vantaro 2>/dev/null)" ] || fail "vantaro is still known to the root"
echo "package test passed"
