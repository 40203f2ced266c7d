#!/bin/sh
# The Windows packages as ./dev windows leaves them in PACKAGES (its
# build-windows/): made again by tools/windows-package.sh to the same bytes
# under another umask, time zone, locale and folder; the zip's files; then,
# under Wine in a prefix of the test's own, the zip's program playing a
# script, the installer run silently (its files, the Start-menu shortcut,
# the entry among the installed apps, the game playing from there) and the
# uninstaller run as Windows would run it silently, which must take away
# everything of the program and leave the player's scores and settings.
#   windows_package_test.sh BUILD SOURCE PACKAGES
# The prefix lives in a scratch folder under BUILD, with HOME beside it, so
# that Wine touches nothing of the user's (no ~/.wine, no menu entries).
set -u
build=$1
source=$(cd "$2" && pwd)
packages=$(cd "$3" 2>/dev/null && pwd) || { echo "skipped: no $3 (./dev windows makes it)"; exit 77; }
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64) || { echo "skipped: wine64 is not installed"; exit 77; }
wineserver=$(dirname "$wine")/wineserver
for tool in unzip makensis zip x86_64-w64-mingw32-strip x86_64-w64-mingw32-nm od; do
    command -v $tool >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
version=$(sed -n 's/^project(vantaro VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
name=vantaro-$version
zip=$packages/$name-windows-x64.zip
setup=$packages/$name-setup.exe
for f in "$zip" "$setup" "$packages/game/vantaro.exe"; do
    [ -f "$f" ] || { echo "skipped: no $f (./dev windows makes it)"; exit 77; }
done
tmp=$(mktemp -d "$(cd "$build" && pwd)/windows_package.XXXXXX")
export WINEPREFIX="$tmp/prefix" HOME="$tmp/home" WINEDEBUG=-all
# No sound drivers (no ALSA or PulseAudio noise), no menu entries or file
# types written for the desktop, no Mono or Gecko to offer.
export WINEDLLOVERRIDES="winealsa.drv,winepulse.drv,wineoss.drv,winemenubuilder.exe,mscoree,mshtml=d"
unset DISPLAY WAYLAND_DISPLAY VANTARO_DATA_DIR VANTARO_TRACE
trap '"$wineserver" -k 2>/dev/null; rm -rf "$tmp"' EXIT
fail() { printf 'FAIL: %s\n' "$*"; exit 1; }
mkdir "$HOME"

# The same program and sources, dated as the zip is, give the same bytes.
again="$tmp/made again/packages"
(umask 077 && cd / && SOURCE_DATE_EPOCH=$(stat -c %Y "$zip") TZ=Pacific/Kiritimati LC_ALL=C.UTF-8 \
    "$source/tools/windows-package.sh" "$source" "$packages/game" "$again") >"$tmp/again.out" 2>"$tmp/again.err" ||
    { cat "$tmp/again.err"; fail "tools/windows-package.sh failed"; }
printf '%s\n' "$again/$name-windows-x64.zip" "$again/$name-setup.exe" | diff -u - "$tmp/again.out" ||
    fail "tools/windows-package.sh did not print the zip's and the installer's paths"
cmp "$zip" "$again/$name-windows-x64.zip" || fail "the zip made again differs (or is older than the program: ./dev windows)"
cmp "$setup" "$again/$name-setup.exe" || fail "the installer made again differs (or is older than the program: ./dev windows)"

# The zip: one folder, sorted, with exactly the program, its pictures and
# sounds as in the tree, and the two texts with Windows line ends.
unzip -Z1 "$zip" >"$tmp/entries" || fail "unzip cannot list the zip"
LC_ALL=C sort "$tmp/entries" | cmp -s - "$tmp/entries" || fail "the zip's entries are not sorted"
{
    echo "$name/"
    for dir in Images Sounds; do
        echo "$name/$dir/"
        for f in "$source/$dir"/*; do echo "$name/$dir/$(basename "$f")"; done
    done
    for f in vantaro.exe README.txt LICENSE.txt; do echo "$name/$f"; done
} | LC_ALL=C sort | diff -u - "$tmp/entries" || fail "the zip's entries are not the expected ones"
unzip -q "$zip" -d "$tmp/zip" || fail "unzip cannot unpack the zip"
portable=$tmp/zip/$name
for dir in Images Sounds; do
    diff -r "$source/$dir" "$portable/$dir" || fail "the zip's $dir differ from the tree's"
done
cr=$(printf '\r')
for f in README.txt LICENSE.txt; do
    [ -s "$portable/$f" ] && ! grep -qv "$cr\$" "$portable/$f" || fail "$f has a line that does not end in CR LF"
done
tr -d '\r' <"$portable/LICENSE.txt" | cmp -s - "$source/LICENSE" || fail "LICENSE.txt is not LICENSE"
grep -q "^Vantaro $version$cr\$" "$portable/README.txt" || fail "README.txt does not start with the version"
grep -q "@VERSION@" "$portable/README.txt" && fail "README.txt has a placeholder left"
x86_64-w64-mingw32-nm "$portable/vantaro.exe" 2>&1 | grep -q "no symbols" || fail "the zip's vantaro.exe is not stripped"

# A fresh prefix (wineboot: 10 to 20 s), and the folders Windows names.
"$wine" wineboot --init >"$tmp/wineboot.log" 2>&1 || { cat "$tmp/wineboot.log"; fail "wineboot"; }
"$wineserver" -w
variable() { "$wine" cmd /c echo "%$1%" | tr -d '\r'; }
unix_path() { printf '%s' "$WINEPREFIX/drive_c$(printf '%s' "${1#[Cc]:}" | tr '\\' /)"; }
appdata=$(variable APPDATA)
localappdata=$(variable LOCALAPPDATA)
case $appdata$localappdata in *%*|'') fail "cmd does not know APPDATA ('$appdata') or LOCALAPPDATA ('$localappdata')";; esac
player=$(unix_path "$appdata\\Vantaro")

# play EXE: the game plays a script headless in a folder of its own; on the
# machine's screen a coin turns 2.50 of cash and no credit into 2.40 and one.
field() { sed -n "s/.*\"$2\":\([^,}]*\).*/\1/p" "$1"; }
runs=0
play() {
    exe=$1
    runs=$((runs + 1))
    run=$tmp/run$runs
    mkdir "$run"
    printf 'wait 6000\nstate before.json\nkey C\nwait 500\nstate after.json\n' >"$run/play.txt"
    (cd "$run" && "$wine" "$exe" --headless --script play.txt) >"$run/log" 2>&1 ||
        { cat "$run/log"; fail "$exe did not play the script"; }
    for pair in before.json:25:0 after.json:24:1; do
        set -- "$run/${pair%%:*}" "$(echo "$pair" | cut -d: -f2)" "${pair##*:}"
        [ "$(field "$1" screen)" = '"machine"' ] && [ "$(field "$1" cash)" = "$2" ] && [ "$(field "$1" credit)" = "$3" ] ||
            fail "$(basename "$1") is not the machine with cash $2 and credit $3: $(cat "$1")"
    done
    [ "$("$wine" "$exe" --version | tr -d '\r')" = "vantaro $version" ] || fail "$exe --version is not 'vantaro $version'"
}

# The zip's program, where it was unpacked; its high-score table goes to
# %APPDATA%\Vantaro.
play "$portable/vantaro.exe"
[ -f "$player/vantarohs.dat" ] || fail "the game made no %APPDATA%\\Vantaro\\vantarohs.dat"

# The installer, silently: the zip's files and the uninstaller in
# %LOCALAPPDATA%\Programs\Vantaro, a shortcut to the program in the Start
# menu, the entry among the installed apps.
"$wine" "$setup" /S >"$tmp/setup.log" 2>&1 || { cat "$tmp/setup.log"; fail "the installer failed"; }
folder="$localappdata\\Programs\\Vantaro"
installed=$(unix_path "$folder")
[ -d "$installed" ] || fail "nothing in $folder"
(cd "$portable" && { find . -type f; echo ./uninstall.exe; }) | LC_ALL=C sort >"$tmp/expected"
(cd "$installed" && find . -type f -o -type l) | LC_ALL=C sort | diff -u "$tmp/expected" - ||
    fail "the installed files are not the zip's and the uninstaller"
(cd "$portable" && find . -type f) | while read -r f; do
    cmp -s "$portable/$f" "$installed/$f" || fail "the installed $f is not the zip's"
done || exit 1

# A shell link's target: the local base path of its LinkInfo (after the
# 76-byte header and the item ID list, when the flags say they are there).
u16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
link_target() {
    [ "$(u32 "$1" 0)" = 76 ] || return 1
    flags=$(u32 "$1" 20) at=76
    [ $((flags & 1)) -eq 0 ] || at=$((at + 2 + $(u16 "$1" 76)))
    [ $((flags & 2)) -ne 0 ] && [ $(($(u32 "$1" $((at + 8))) & 1)) -ne 0 ] || return 1
    tail -c +$((at + $(u32 "$1" $((at + 16))) + 1)) "$1" | tr '\0' '\n' | head -n 1
}
shortcut="$(unix_path "$appdata")/Microsoft/Windows/Start Menu/Programs/Vantaro.lnk"
[ -f "$shortcut" ] || fail "no Vantaro.lnk in the Start menu's Programs"
target=$(link_target "$shortcut") || fail "Vantaro.lnk names no local target"
[ "$target" = "$folder\\vantaro.exe" ] || fail "Vantaro.lnk starts '$target', not $folder\\vantaro.exe"

key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantaro'
"$wine" reg query "$key" >"$tmp/key.txt" 2>&1 || { cat "$tmp/key.txt"; fail "no $key"; }
tr -d '\r' <"$tmp/key.txt" >"$tmp/key"
value() { sed -n "s/^ *$1 *REG_[A-Z_]* *//p" "$tmp/key"; }
for pair in "DisplayName=Vantaro" "DisplayVersion=$version" "Publisher=The Vantaro developers" \
        "DisplayIcon=$folder\\vantaro.exe,0" "InstallLocation=$folder" \
        "UninstallString=\"$folder\\uninstall.exe\"" "QuietUninstallString=\"$folder\\uninstall.exe\" /S" \
        "NoModify=0x1" "NoRepair=0x1"; do
    [ "$(value "${pair%%=*}")" = "${pair#*=}" ] || fail "${pair%%=*} is '$(value "${pair%%=*}")', not '${pair#*=}'"
done
kib=$(($(value EstimatedSize)))
bytes=$(cd "$installed" && find . -type f -exec cat {} + | wc -c)
[ $((kib * 1024)) -ge $((bytes * 9 / 10)) ] && [ $((kib * 1024)) -le $((bytes * 11 / 10)) ] ||
    fail "EstimatedSize says $kib KiB; the files hold $bytes bytes"

# The installed game plays.
play "$installed/vantaro.exe"

# While the game runs, its program cannot be deleted: the uninstaller, run
# in place (_?=, so that it is the process that does the work), removes
# nothing and ends with status 2. A long simulation keeps the game running
# (its table in a scratch folder) until it is killed.
(cd "$tmp" && exec "$wine" "$folder\\vantaro.exe" --simulate 1000000 --data-dir running) >"$tmp/running.log" 2>&1 &
game=$!
tries=0
until grep -q '/vantaro\.exe$' "/proc/$game/maps" 2>/dev/null; do
    tries=$((tries + 1))
    [ $tries -lt 150 ] || { cat "$tmp/running.log"; fail "the game did not start: nothing has vantaro.exe mapped"; }
    sleep 0.2
done
"$wine" "$folder\\uninstall.exe" /S "_?=$folder" >"$tmp/blocked.log" 2>&1
status=$?
{ kill $game && wait $game; } 2>/dev/null
[ $status -eq 2 ] || fail "the uninstaller ended with status $status while the game ran, not 2 (aborted)"
(cd "$installed" && find . -type f -o -type l) | LC_ALL=C sort | diff -u "$tmp/expected" - ||
    fail "the uninstaller removed files while the game ran"
[ -f "$shortcut" ] || fail "the uninstaller removed the shortcut while the game ran"
"$wine" reg query "$key" >/dev/null 2>&1 || fail "the uninstaller removed $key while the game ran"

# The player has a table and settings.
printf 'scale=3\r\nfullscreen=0\r\nmute=1\r\nvolume=70\r\n' >"$player/settings.ini"
cp -R "$player" "$tmp/kept"

# Uninstalling as Windows would do it quietly. The uninstaller copies itself
# to the temporary folder and returns at once; the copy does the work,
# which wineserver -w waits for.
quiet=$(value QuietUninstallString)
program=${quiet#\"}
program=${program%%\"*}
"$wine" "$program" ${quiet##*\" } >"$tmp/uninstall.log" 2>&1 || { cat "$tmp/uninstall.log"; fail "the uninstaller failed"; }
"$wineserver" -w
[ -e "$installed" ] && { find "$installed"; fail "the uninstaller left $folder"; }
[ -e "$shortcut" ] && fail "the uninstaller left the Start menu's Vantaro.lnk"
"$wine" reg query "$key" >/dev/null 2>&1 && fail "the uninstaller left $key"
diff -r "$tmp/kept" "$player" || fail "the uninstaller changed %APPDATA%\\Vantaro"
left=$(find "$WINEPREFIX/drive_c" -path "$player" -prune -o -iname '*vantaro*' -print)
[ -z "$left" ] || fail "the uninstaller left $left"
"$wineserver" -w  # the registry written out
grep -il vantaro "$WINEPREFIX"/*.reg && fail "the registry still names Vantaro"
echo "windows package test passed"
