#!/bin/sh
# The Windows packages of the program GAME/vantaro.exe (./dev windows's
# build-windows/game), made in OUT:
#   vantaro-VERSION-windows-x64.zip   the folder vantaro-VERSION/: vantaro.exe
#                                     stripped, Images\, Sounds\, README.txt and
#                                     LICENSE.txt with Windows line ends
#   vantaro-VERSION-setup.exe         the same files in an NSIS installer for
#                                     the current user (resources/windows/installer.nsi)
# VERSION is the one project() gives in SOURCE's CMakeLists.txt. Prints the
# paths of the zip and the installer, one a line, alone on stdout.
#   windows-package.sh SOURCE GAME OUT
#
# The files are dated the last commit's time (SOURCE_DATE_EPOCH, when set,
# instead), with fixed permissions, and the zip's entries are sorted and
# carry no Unix extras, so one program and one commit give the same bytes
# whatever the umask, time zone and locale.
set -eu
source=$(cd "$1" && pwd)
game=$(cd "$2" && pwd)
mkdir -p "$3"
out=$(cd "$3" && pwd)
version=$(sed -n 's/^project(vantaro VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
[ -n "$version" ] || { echo "windows-package: no version in $source/CMakeLists.txt" >&2; exit 1; }
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$source" log -1 --format=%ct 2>/dev/null || true)}
[ -n "$epoch" ] || { echo "windows-package: $source is no git checkout: set SOURCE_DATE_EPOCH" >&2; exit 1; }
[ -f "$game/vantaro.exe" ] || { echo "windows-package: no $game/vantaro.exe: build it first (./dev windows)" >&2; exit 1; }

name=vantaro-$version
zip=$out/$name-windows-x64.zip
installer=$out/$name-setup.exe
scratch=$out/package
stage=$scratch/$name
trap 'rm -rf "$scratch"' EXIT
rm -rf "$scratch"
mkdir -p "$stage"

crlf() { sed 's/\r$//; s/$/\r/' "$@"; }
# strip dates the program's PE header SOURCE_DATE_EPOCH, else now.
SOURCE_DATE_EPOCH=$epoch x86_64-w64-mingw32-strip -o "$stage/vantaro.exe" "$game/vantaro.exe"
cp -R "$source/Images" "$source/Sounds" "$stage/"
sed "s/@VERSION@/$version/g" "$source/resources/windows/README.txt" | crlf >"$stage/README.txt"
crlf "$source/LICENSE" >"$stage/LICENSE.txt"
find "$stage" -type d -exec chmod 755 {} +
find "$stage" -type f -exec chmod 644 {} +
chmod 755 "$stage/vantaro.exe"
find "$stage" -exec touch --no-dereference --date="@$epoch" {} +

# -X leaves out the Unix extras (owner, times past the DOS one); the DOS
# time is local time, so the zone is fixed.
rm -f "$zip"
(cd "$scratch" && find "$name" | LC_ALL=C sort | TZ=UTC0 zip -q -X -9 -@ "$zip")
touch --date="@$epoch" "$zip"

makensis -V2 -WX -DVERSION="$version" -DSTAGE="$stage" -DICON="$source/resources/vantaro.ico" \
    -DOUTFILE="$installer" "$source/resources/windows/installer.nsi" >&2
touch --date="@$epoch" "$installer"

echo "$zip"
echo "$installer"
