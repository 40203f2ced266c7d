#!/bin/sh
# How long the game takes from its launch to its first frame on the screen,
# under a private X server: the median of RUNS starts (default 15), beside a
# bare SDL window started the same way, drawn through the window surface as
# the game draws and through an SDL renderer as most SDL programs do.
# exec_clock (built beside the game in bench/) notes the monotonic clock and
# becomes the program; with VANTARO_TRACE=presents the game's SDL backend
# writes "vantaro: trace: present US" for every present, and bare_window
# writes "bare_window: present US", US the same clock in microseconds. Each
# start is closed with SIGTERM before the next, so no start of the game hands
# over to a copy already running. The three alternate, so a neighbour's load
# on the machine falls on all of them alike.
#
# With WINDOWS_GAME (./dev windows' vantaro.exe), the Windows build is timed
# under Wine as well, and the bare window built for Windows beside it (its
# bare_window target) for what Wine itself takes: in a fresh prefix in
# GAME's folder, booted before the first start and its wineserver kept
# running throughout, as a Windows player's system is running when the game
# starts (Wine's sound drivers off: there is no device here). Their launch
# is exec_clock's raw monotonic clock, which QueryPerformanceCounter counts
# under Wine; the game's goal, at most 1.5 times the Linux build's median.
#   bench/startup_time.sh GAME [RUNS [WINDOWS_GAME]]
set -eu
game=$1
runs=${2:-15}
windows=${3:-}
bench=$(dirname "$game")/bench
for tool in "$bench/exec_clock" "$bench/bare_window"; do
    [ -x "$tool" ] || { echo "startup_time: $tool is missing (a build with -DVANTARO_BENCH=ON)" >&2; exit 1; }
done
command -v Xvfb >/dev/null || { echo "startup_time: Xvfb is not installed" >&2; exit 1; }
. "$(dirname "$0")/xvfb.sh"
start_xvfb
export VANTARO_DATA_DIR=$tmp/data VANTARO_TRACE=presents
if [ -n "$windows" ]; then
    wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
    wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
    [ -x "$wine64" ] || { echo "startup_time: wine64 is not installed" >&2; exit 1; }
    bare=$(dirname "$windows")/bare_window.exe
    [ -f "$bare" ] || { echo "startup_time: $bare is missing (the Windows build's bare_window target)" >&2; exit 1; }
    export WINEPREFIX=$(cd "$(dirname "$game")" && pwd)/wine-prefix-startup
    export WINEDEBUG=-all WINEDLLOVERRIDES="winealsa.drv,winepulse.drv=d"
    trap '"$wineserver" -k 2>/dev/null; rm -rf "$WINEPREFIX"; pkill -P $$ 2>/dev/null; rm -rf "$tmp"' EXIT
    rm -rf "$WINEPREFIX"
    "$wine64" wineboot --init >/dev/null 2>&1
    "$wineserver" -w
    "$wineserver" -p  # kept running between the starts
fi
sleep 0.5

# start NAME CLOCK PROGRAM [ARGUMENT]...: one start, its time in ms added to
# $tmp/NAME; CLOCK names exec_clock's line in the program's own clock
start() {
    name=$1 clock=$2
    shift 2
    "$bench/exec_clock" "$@" >/dev/null 2>"$tmp/trace" &
    pid=$!
    for i in $(seq 400); do
        grep -q "present [0-9]" "$tmp/trace" && break
        kill -0 $pid 2>/dev/null || { cat "$tmp/trace" >&2; echo "startup_time: $1 ended before presenting" >&2; exit 1; }
        sleep 0.02
    done
    kill -TERM $pid
    status=0
    wait $pid || status=$?
    # 143: the game closed properly and says a signal asked it to
    case $status in 0|143) ;; *) echo "startup_time: $1 ended with $status on SIGTERM" >&2; exit 1 ;; esac
    pid=""
    awk -v clock="$clock" '$2 == clock {launch = $3} $(NF - 1) == "present" && !first {first = $NF} END {
             if (!launch || !first) exit 1
             printf "%.1f\n", (first - launch) / 1000 }' "$tmp/trace" >>"$tmp/$name" ||
        { cat "$tmp/trace" >&2; echo "startup_time: no launch or present time from $1" >&2; exit 1; }
    sleep 0.3
}

if [ -n "$windows" ]; then
    start wine launch-raw "$wine64" "$windows"  # Wine's first start of each, not counted
    start wine_surface launch-raw "$wine64" "$bare" --surface
    rm "$tmp/wine" "$tmp/wine_surface"
fi
for run in $(seq "$runs"); do
    if [ -n "$windows" ]; then
        start wine launch-raw "$wine64" "$windows"
        start wine_surface launch-raw "$wine64" "$bare" --surface
    fi
    start game launch "$game"
    start surface launch "$bench/bare_window" --surface
    start renderer launch "$bench/bare_window"
done

# middle NAME: the median of the times in $tmp/NAME
middle() {
    sort -n "$tmp/$1" | awk '{ v[++n] = $1 } END { print (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2 }'
}
# median NAME: "M ms (fastest F, slowest S)"
median() {
    sort -n "$tmp/$1" | awk -v m="$(middle "$1")" '
        { v[++n] = $1 }
        END { printf "%.1f ms (fastest %.1f, slowest %.1f)", m, v[1], v[n] }'
}
echo "launch to first present, median of $runs starts each:"
echo "  game                         $(median game)"
echo "  bare window, window surface  $(median surface)"
echo "  bare window, SDL renderer    $(median renderer) ($(sed -n 's/^bare_window: output //p' "$tmp/trace"))"
if [ -n "$windows" ]; then
    echo "  on Wine: game for Windows    $(median wine)"
    echo "  on Wine: bare window         $(median wine_surface)"
fi
awk -v m="$(middle game)" -v target=100 'BEGIN {
    printf "target: the game at most %d ms: %s\n", target, m <= target ? "met" : "missed" }'
[ -z "$windows" ] || awk -v m="$(middle game)" -v wine="$(middle wine)" 'BEGIN {
    printf "goal: Wine at most 1.5 x the Linux build (%.1f ms): %s (%.2f x)\n", 1.5 * m, wine <= 1.5 * m ? "met" : "missed", wine / m }'
