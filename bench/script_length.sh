#!/bin/sh
# How a script's run time grows with its length: runs the headless game on
# scripts of N "key up" lines (each one a key press the game takes) and
# prints the seconds and the microseconds per line. Linear growth keeps
# the microseconds per line flat.
#   bench/script_length.sh GAME [N ...]     default N: 50000 100000 200000 400000
set -eu
game=$1
shift
[ $# -gt 0 ] || set -- 50000 100000 200000 400000
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for n in "$@"; do
    yes "key up" | head -n "$n" >"$tmp/script.txt"
    start=$(date +%s%N)
    VANTARO_DATA_DIR=$tmp "$game" --headless --script "$tmp/script.txt"
    end=$(date +%s%N)
    awk -v n="$n" -v ns=$((end - start)) 'BEGIN { printf "%7d lines: %6.2f s, %5.2f us a line\n", n, ns / 1e9, ns / 1e3 / n }'
done
