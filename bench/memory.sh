#!/bin/sh
# The game's resident memory beside a bare SDL window's, under a private X
# server. Each program is started, given SETTLE seconds (default 6: the game
# is past its title screen and waits at the machine), and its VmRSS and VmHWM
# (the peak) read from /proc; then it is closed with SIGTERM. The bare window
# (bench/bare_window, built beside the game) runs twice: through an SDL
# renderer, as most SDL programs draw, and through the window surface, as the
# game's SDL backend draws. Target: the game at most 10 MiB above the bare
# window with a renderer.
#   bench/memory.sh GAME [SETTLE]
set -eu
game=$1
settle=${2:-6}
bare=$(dirname "$game")/bench/bare_window
[ -x "$bare" ] || { echo "memory: $bare is missing (a build with -DVANTARO_BENCH=ON)" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "memory: Xvfb is not installed" >&2; exit 1; }
. "$(dirname "$0")/xvfb.sh"
start_xvfb
export VANTARO_DATA_DIR=$tmp/data

# measure NAME PROGRAM [ARGUMENT]...: "RSS HWM" in KiB into $tmp/NAME
measure() {
    name=$1; shift
    "$@" >/dev/null 2>"$tmp/$name.log" &
    pid=$!
    sleep "$settle"
    kill -0 $pid 2>/dev/null || { cat "$tmp/$name.log" >&2; echo "memory: $1 ended early" >&2; exit 1; }
    awk '$1 == "VmRSS:" {rss = $2} $1 == "VmHWM:" {hwm = $2} END {print rss, hwm}' /proc/$pid/status >"$tmp/$name"
    kill -TERM $pid
    status=0
    wait $pid || status=$?
    # 143: the game closed properly and says a signal asked it to
    case $status in 0|143) ;; *) echo "memory: $1 ended with $status on SIGTERM" >&2; exit 1 ;; esac
    pid=""
}
measure renderer "$bare"
measure surface "$bare" --surface
measure game "$game"

row() { awk -v what="$2" '{printf "  %-34s %7.1f MiB resident (peak %.1f)\n", what, $1 / 1024, $2 / 1024}' "$tmp/$1"; }
echo "resident memory after $settle s, each alone in the X server:"
row renderer "bare window, SDL renderer ($(sed -n 's/^bare_window: output //p' "$tmp/renderer.log"))"
row surface "bare window, window surface"
row game "game"
paste "$tmp/game" "$tmp/renderer" "$tmp/surface" | awk '{
    printf "game minus bare window: %+.1f MiB against the renderer, %+.1f MiB against the window surface\n", ($1 - $3) / 1024, ($1 - $5) / 1024
    printf "target: the game at most 10 MiB above the bare window with a renderer: %s\n", $1 - $3 <= 10240 ? "met" : "missed" }'
