#!/bin/sh
# The Debian package as ./dev package makes it: an optimised build with
# Debian's hardening flags (in BUILD/package-build, kept for the next run),
# made by cpack twice to the same bytes, clean to lintian, its control fields
# and file list; then installed into a throwaway root with an admin folder of
# its own, the program there playing a script, and removed without a trace.
#   package_test.sh BUILD SOURCE
set -u
build=$1
source=$2
for tool in cmake ninja cpack dpkg dpkg-deb dpkg-shlibdeps dpkg-buildflags file lintian strings; do
    command -v $tool >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Built as ./dev package builds it, with Debian's flags; the source folder
# is "." in the file names the compiler records.
pkgbuild=$build/package-build
cmake -S "$source" -B "$pkgbuild" -G Ninja -C "$source/resources/debian/build.cmake" >"$tmp/build.log" 2>&1 &&
    cmake --build "$pkgbuild" >>"$tmp/build.log" 2>&1 || { cat "$tmp/build.log"; fail "the package build failed"; }
strings -a "$pkgbuild/vantaro" | grep -F -m 3 "$source/" && fail "the program's debugging data holds the source path"

# Twice, a second apart: every time in the package comes from the last commit.
for run in 1 2; do
    [ $run = 2 ] && sleep 1
    cpack --config "$pkgbuild/CPackConfig.cmake" -G DEB -B "$tmp/out$run" >"$tmp/cpack.log" 2>&1 ||
        { cat "$tmp/cpack.log"; fail "cpack failed"; }
done
version=$(sed -n 's/^project(vantaro VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
name=vantaro_$version-1_$(dpkg --print-architecture).deb
deb=$tmp/out1/$name
[ -f "$deb" ] || { ls "$tmp/out1"; fail "no $name"; }
cmp "$deb" "$tmp/out2/$name" || fail "two packages of one build differ"
# Errors and warnings fail, and so do the hardening tags, which are only info.
lintian --pedantic --fail-on error,warning "$deb" >"$tmp/lintian.log" 2>&1 &&
    ! grep -q ' hardening-' "$tmp/lintian.log" || { cat "$tmp/lintian.log"; fail "lintian"; }

field() { dpkg-deb --field "$deb" "$1"; }
for pair in Package=vantaro Version=$version-1 Section=games Architecture=$(dpkg --print-architecture); do
    [ "$(field "${pair%%=*}")" = "${pair#*=}" ] || fail "${pair%%=*} is '$(field "${pair%%=*}")', not '${pair#*=}'"
done
field Maintainer | grep -q '<.*@.*>' || fail "Maintainer '$(field Maintainer)' has no address"
[ "$(field Description | wc -l)" -ge 3 ] || fail "the Description has no long text"
depends=$(field Depends)
for lib in libc6 libstdc++6 libsdl2-2.0-0 libpng16-16; do
    echo "$depends" | grep -q "\(^\|, \)$lib\( (\|,\|$\)" || fail "Depends lacks $lib: $depends"
done

dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '/$' | sed 's|^\./||' | sort >"$tmp/files"
for f in usr/games/vantaro usr/share/vantaro/Images/machine.bmp usr/share/vantaro/Sounds/spin.wav \
         usr/share/applications/org.vantaro.Vantaro.desktop usr/share/metainfo/org.vantaro.Vantaro.metainfo.xml \
         usr/share/icons/hicolor/16x16/apps/vantaro.png usr/share/icons/hicolor/256x256/apps/vantaro.png \
         usr/share/man/man6/vantaro.6.gz usr/share/doc/vantaro/copyright usr/share/doc/vantaro/changelog.Debian.gz; do
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

mkdir "$tmp/work" "$tmp/data"
echo "state out.json" >"$tmp/work/play.txt"
(cd "$tmp/work" && VANTARO_DATA_DIR=$tmp/data "$root/usr/games/vantaro" --headless --script play.txt) ||
    fail "the installed program ended with status $?"
grep -q '"screen":"machine"' "$tmp/work/out.json" || fail "no machine state written"

dpkg_root --purge vantaro >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; fail "dpkg --purge failed"; }
# Left: the admin folder, as before plus dpkg's own bookkeeping.
find "$root" | grep -v "^$root/var/lib/dpkg/" | sort >"$tmp/after"
grep -v "^$root/var/lib/dpkg/" "$tmp/before" | diff -u - "$tmp/after" || fail "the removal left files behind"
[ -z "$(dpkg-query --admindir="$root/var/lib/dpkg" -W vantaro 2>/dev/null)" ] || fail "vantaro is still known to the root"
echo "package test passed"
