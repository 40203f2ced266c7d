#!/bin/sh
# `cmake --install` into a scratch prefix: exactly the expected files, the
# desktop entry, metainfo and manual page valid, the icons of their sizes,
# the copyright file carrying the licence, and the installed program playing
# a script from another folder.
#   install_test.sh BUILD SOURCE
set -u
build=$1
source=$2
for tool in desktop-file-validate appstreamcli man file; do
    command -v $tool >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 || { cat "$tmp/install.log"; fail "cmake --install failed"; }

id=org.vantaro.Vantaro
{
    echo bin/vantaro
    for dir in Images Sounds; do
        for f in "$source/$dir"/*; do echo "share/vantaro/$dir/$(basename "$f")"; done
    done
    echo share/applications/$id.desktop
    echo share/metainfo/$id.metainfo.xml
    for n in 16 32 48 128 256; do echo share/icons/hicolor/${n}x$n/apps/vantaro.png; done
    echo share/man/man6/vantaro.6
    echo share/doc/vantaro/copyright
} | sort >"$tmp/expected"
(cd "$prefix" && find . -type f -o -type l) | sed 's|^\./||' | sort >"$tmp/installed"
diff -u "$tmp/expected" "$tmp/installed" || fail "the installed files are not the expected ones"
[ -x "$prefix/bin/vantaro" ] || fail "bin/vantaro is not executable"
for f in Images/machine.bmp Sounds/spin.wav; do
    cmp -s "$source/$f" "$prefix/share/vantaro/$f" || fail "share/vantaro/$f differs from the tree"
done
for n in 16 32 48 128 256; do
    file "$prefix/share/icons/hicolor/${n}x$n/apps/vantaro.png" | grep -q "PNG image data, $n x $n," ||
        fail "the ${n}x$n icon is not a $n x $n PNG"
done

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
grep -qx "Exec=vantaro" "$prefix/share/applications/$id.desktop" || fail "the desktop entry does not start vantaro"
grep -qx "Icon=vantaro" "$prefix/share/applications/$id.desktop" || fail "the desktop entry's icon is not vantaro"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
grep -q "<id>$id</id>" "$prefix/share/metainfo/$id.metainfo.xml" || fail "the metainfo id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$prefix/share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo does not launch $id.desktop"
MANWIDTH=80 man --warnings -l "$prefix/share/man/man6/vantaro.6" >"$tmp/man.txt" 2>"$tmp/man.err"
[ -s "$tmp/man.err" ] && { cat "$tmp/man.err"; fail "man --warnings"; }
# The copyright file's indented lines are LICENSE's text, an empty line a lone dot.
sed -n 's/^ //p' "$prefix/share/doc/vantaro/copyright" | sed 's/^\.$//' >"$tmp/licence"
sed -n '/^Permission/,$p' "$source/LICENSE" | diff -u - "$tmp/licence" || fail "the copyright file's licence is not LICENSE's"
for option in $("$prefix/bin/vantaro" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -q -- "$option" "$tmp/man.txt" || fail "the manual page does not describe $option"
done

# From another folder, with a data folder of its own (the Debian package's
# autopkgtest): the program finds its pictures under ../share/vantaro,
# plays, and writes where it was told.
TMPDIR=$tmp "$source/debian/tests/headless" "$prefix/bin/vantaro" || fail "the installed program did not play"
[ "$(cd "$prefix" && find . -type f | wc -l)" -eq "$(wc -l <"$tmp/expected")" ] || fail "the run wrote into the prefix"
echo "install test passed"
