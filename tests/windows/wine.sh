# Sourced by the Windows tests: the Windows build run under Wine, in a
# prefix of the Linux test build's own (made afresh by windows_prefix.sh
# before them) and an X server of each test's own.
#   wine_start WINDOWS_BUILD PREFIX   skips (77) when wine64, Xvfb, the prefix or
#                                     the Windows build is missing; exports
#                                     WINEPREFIX and DISPLAY; $tmp is a scratch
#                                     folder. At exit Wine's processes in the
#                                     prefix, the X server and $tmp go.
#   win PROGRAM [ARGUMENT]...         runs a Windows program
. "$(dirname "$0")/../x_server.sh"
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
skip() { echo "skipped: $*"; exit 77; }

wine_start() {
    windows_build=$1
    export WINEPREFIX=$2
    [ -x "$wine64" ] || skip "wine64 is not installed (./dev test installs it)"
    command -v Xvfb >/dev/null || skip "Xvfb is not installed"
    [ -f "$windows_build/vantaro.exe" ] || skip "no Windows build in $windows_build (./dev windows makes it)"
    [ -f "$WINEPREFIX/system.reg" ] || skip "no Wine prefix in $WINEPREFIX (windows_prefix makes it)"
    # Quiet: no debug channels, and no sound drivers to complain of a missing device.
    export WINEDEBUG=-all WINEDLLOVERRIDES="winealsa.drv,winepulse.drv=d"
    tmp=$(mktemp -d)
    trap '"$wineserver" -k 2>/dev/null; kill ${xvfb:-} 2>/dev/null; rm -rf "$tmp"' EXIT
    start_x "$tmp" || { echo "FAIL: Xvfb did not start"; cat "$tmp/xvfb.log"; exit 1; }
}

win() { "$wine64" "$@"; }
