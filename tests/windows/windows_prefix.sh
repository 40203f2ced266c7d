#!/bin/sh
# The Wine prefix the Windows tests share, made afresh (its first start
# takes 10 to 20 seconds, once for them all), or, with "gone", stopped and
# removed after them.
#   windows_prefix.sh PREFIX [gone]
set -u
prefix=$1
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="winealsa.drv,winepulse.drv=d"
if [ "${2:-}" = gone ]; then
    [ -d "$prefix" ] && "$wineserver" -k 2>/dev/null
    rm -rf "$prefix"
    exit 0
fi
[ -x "$wine64" ] || { echo "skipped: wine64 is not installed (./dev test installs it)"; exit 77; }
[ -d "$prefix" ] && "$wineserver" -k 2>/dev/null
rm -rf "$prefix"
mkdir -p "$prefix"
"$wine64" wineboot --init >/dev/null 2>&1
"$wineserver" -w
[ -f "$prefix/system.reg" ] || { echo "FAIL: Wine did not make its prefix in $prefix"; exit 1; }
echo "Wine prefix ready in $prefix"
