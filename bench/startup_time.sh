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
#   bench/startup_time.sh GAME [RUNS]
set -eu
game=$1
runs=${2:-15}
bench=$(dirname "$game")/bench
for tool in "$bench/exec_clock" "$bench/bare_window"; do
    [ -x "$tool" ] || { echo "startup_time: $tool is missing (a build with -DVANTARO_BENCH=ON)" >&2; exit 1; }
done
command -v Xvfb >/dev/null || { echo "startup_time: Xvfb is not installed" >&2; exit 1; }
. "$(dirname "$0")/xvfb.sh"
start_xvfb
export VANTARO_DATA_DIR=$tmp/data VANTARO_TRACE=presents
sleep 0.5

# start NAME PROGRAM [ARGUMENT]...: one start, its time in ms added to $tmp/NAME
start() {
    name=$1; shift
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
    awk '$2 == "launch" {launch = $3} $(NF - 1) == "present" && !first {first = $NF} END {
             if (!launch || !first) exit 1
             printf "%.1f\n", (first - launch) / 1000 }' "$tmp/trace" >>"$tmp/$name" ||
        { cat "$tmp/trace" >&2; echo "startup_time: no launch or present time from $1" >&2; exit 1; }
    sleep 0.3
}

for run in $(seq "$runs"); do
    start game "$game"
    start surface "$bench/bare_window" --surface
    start renderer "$bench/bare_window"
done

# median NAME: "median M ms (fastest F, slowest S)"
median() {
    sort -n "$tmp/$1" | awk '
        { v[++n] = $1 }
        END { printf "%.1f ms (fastest %.1f, slowest %.1f)", (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2, v[1], v[n] }'
}
echo "launch to first present, median of $runs starts each:"
echo "  game                         $(median game)"
echo "  bare window, window surface  $(median surface)"
echo "  bare window, SDL renderer    $(median renderer) ($(sed -n 's/^bare_window: output //p' "$tmp/trace"))"
sort -n "$tmp/game" | awk -v target=100 '{ v[++n] = $1 } END {
    m = (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    printf "target: the game at most %d ms: %s\n", target, m <= target ? "met" : "missed" }'
