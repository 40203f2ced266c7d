#!/bin/sh
# The CPU the running game uses while it waits for the player: starts it in a
# private X server, lets it settle, and reads its CPU time over 10 seconds.
#   bench/idle_cpu.sh GAME
set -eu
game=$1
. "$(dirname "$0")/xvfb.sh"
start_xvfb
VANTARO_DATA_DIR=$tmp SDL_AUDIODRIVER=dummy "$game" >/dev/null 2>&1 &
game_pid=$!
sleep 8
ticks() { awk '{print $14 + $15}' /proc/$game_pid/stat; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep 10
after=$(ticks)
echo "idle game: $((after - before)) ticks of $hz per second over 10 s:" \
     "$(echo "$after $before $hz" | awk '{printf "%.2f", 100 * ($1 - $2) / $3 / 10}') % of a core"
