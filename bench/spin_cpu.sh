#!/bin/sh
# The running game while its reels spin, under a private X server: starts it
# at --scale 3, feeds it coins, then taps SPIN (and COLLECT and Coin now and
# then, so that a pending prize or an empty credit never stops the play) for
# a while, and reports
#   - the CPU the game process used: over the whole time, and over the
#     tenths of a second in which it was spinning (and, apart, the X
#     server's CPU over the whole time);
#   - the intervals between presents inside the spins: median, 99th
#     percentile, largest.
# The present times come from the SDL backend's trace: with
# VANTARO_TRACE=presents it writes "vantaro: trace: present US" for every
# present, US the monotonic clock in microseconds. A build without that line
# still gets the CPU over the whole time.
#   bench/spin_cpu.sh GAME [SECONDS]
set -eu
game=$1
seconds=${2:-20}
for tool in Xvfb xdotool; do
    command -v $tool >/dev/null || { echo "spin_cpu: $tool is not installed" >&2; exit 1; }
done
. "$(dirname "$0")/xvfb.sh"
start_xvfb 1280x1024x24  # large enough for the 720 x 960 window of scale 3
VANTARO_DATA_DIR=$tmp VANTARO_TRACE=presents SDL_AUDIODRIVER=dummy "$game" --scale 3 >/dev/null 2>"$tmp/trace" &
game_pid=$!

window=""
for i in $(seq 200); do
    window=$(xdotool search --onlyvisible --name '^Vantaro$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    kill -0 $game_pid 2>/dev/null || { echo "spin_cpu: the game ended before its window appeared" >&2; exit 1; }
    sleep 0.1
done
[ -n "$window" ] || { echo "spin_cpu: no window titled Vantaro appeared" >&2; exit 1; }
sleep 2

# Where the 240 x 320 frame sits in the window: the largest whole scale that
# fits, centred (the black bars of a window of another shape).
eval "$(xdotool getwindowgeometry --shell "$window")"
scale=$(( WIDTH / 240 < HEIGHT / 320 ? WIDTH / 240 : HEIGHT / 320 ))
left=$(( (WIDTH - 240 * scale) / 2 ))
top=$(( (HEIGHT - 320 * scale) / 2 ))
# tap X Y: a click on frame pixel (X, Y), in the middle of its scaled block.
tap() {
    xdotool mousemove --window "$window" $(( left + $1 * scale + scale / 2 )) $(( top + $2 * scale + scale / 2 )) click 1
}
# Button centres in the frame: Coin 164-234 x 200-220, COLLECT y 269-289,
# SPIN y 292-312.
coin() { tap 199 210; }
collect() { tap 199 279; }
spin() { tap 199 302; }

for i in $(seq 10); do coin; sleep 0.15; done
sleep 0.5
grep -q "stylus down 199 210" "$tmp/trace" || { echo "spin_cpu: the Coin taps did not arrive" >&2; exit 1; }

# Taps given while the reels run are dropped by the game, so tapping four
# times a second starts the next spin within a quarter of a second of the
# last one's end. A win offered for the gamble keeps SPIN disabled until
# COLLECT banks it.
(
    n=0
    while :; do
        case $((n % 8)) in
            3) collect ;;
            7) [ $((n % 32)) = 7 ] && coin || spin ;;
            *) spin ;;
        esac
        n=$((n + 1))
        sleep 0.25
    done
) &
clicker=$!
sleep 1

# CPU time of the game in nanoseconds, all its threads.
cpu_ns() { cat /proc/$game_pid/task/*/schedstat 2>/dev/null | awk '{ns += $1} END {printf "%.0f", ns}'; }
ticks() { awk '{print $14 + $15}' /proc/${1:-$game_pid}/stat; }
hz=$(getconf CLK_TCK)
first_line=$(($(wc -l <"$tmp/trace") + 1))
before=$(ticks)
xvfb_before=$(ticks $xvfb)
start=$(date +%s.%N)
# Ten samples a second of the clock, the trace's length and the CPU time: a
# tenth of a second that added at least 4.5 trace lines (a spin presents 6,
# the win pulse 2, the taps fewer than 1) was spent spinning.
end_ns=$(( $(date +%s%N) + seconds * 1000000000 ))
while :; do
    now=$(date +%s%N)
    echo "$now $(wc -l <"$tmp/trace") $(cpu_ns)" >>"$tmp/samples"
    [ "$now" -ge "$end_ns" ] && break
    sleep 0.1
done
after=$(ticks)
xvfb_after=$(ticks $xvfb)
end=$(date +%s.%N)
last_line=$(($(wc -l <"$tmp/trace") - 1))  # the last may be half written
kill $clicker 2>/dev/null
clicker=""
grep -q "stylus down 199 302" "$tmp/trace" || { echo "spin_cpu: the SPIN taps did not arrive" >&2; exit 1; }

wall=$(echo "$start $end" | awk '{printf "%.2f", $2 - $1}')
cpu=$(echo "$after $before $hz $wall" | awk '{printf "%.1f", 100 * ($1 - $2) / $3 / $4}')
renderer=$(awk '$3 == "output" {print $4; exit}' "$tmp/trace")
echo "game at scale 3 (SDL output ${renderer:-unknown}), tapping SPIN: $((after - before)) ticks of $hz per second over $wall s: $cpu % of a core"
echo "the X server meanwhile (not in the game's share):" \
     "$(echo "$xvfb_after $xvfb_before $hz $wall" | awk '{printf "%.1f", 100 * ($1 - $2) / $3 / $4}') % of a core"
sed -n "${first_line},${last_line}p" "$tmp/trace" | awk '$3 == "present" {print $4}' >"$tmp/presents"
if [ ! -s "$tmp/presents" ]; then
    echo "no present times: this build does not trace presents (VANTARO_TRACE=presents)"
    exit 0
fi

awk '
    NR > 1 {
        dt = $1 - t; dl = $2 - l; dc = $3 - c
        if (dl * 1e8 >= 4.5 * dt) { spin_t += dt; spin_c += dc } else { rest_t += dt; rest_c += dc }
    }
    { t = $1; l = $2; c = $3 }
    END {
        printf "CPU while spinning: %.1f %% of a core over %.1f s; between spins: %.1f %% over %.1f s\n",
            spin_t ? 100 * spin_c / spin_t : 0, spin_t / 1e9, rest_t ? 100 * rest_c / rest_t : 0, rest_t / 1e9
    }' "$tmp/samples"

# The spins among the presents: runs of at least 60 presents less than 45 ms
# apart. The slower animations between spins (the win pulse at 50 ms a frame,
# the flashing buttons at 100 ms) and a coin's single present fall outside.
awk -v gaps="$tmp/gaps" '
    function flush() {
        if (n >= 60) {
            for (i = 1; i <= n; ++i) print gap[i] > gaps
            spins += 1
        }
        n = 0
    }
    NR == 1 { last = $1; next }
    {
        d = $1 - last
        if (d >= 45000) flush()
        else gap[++n] = d
        last = $1
    }
    END { flush(); print spins + 0 }' "$tmp/presents" >"$tmp/spins"
[ "$(cat "$tmp/spins")" -gt 0 ] || { echo "no spins seen"; exit 1; }
sort -n "$tmp/gaps" | awk -v spins="$(cat "$tmp/spins")" '
    { v[++n] = $1; sum += $1; if ($1 > 20000) over += 1 }
    END {
        median = (n % 2) ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
        p99 = v[int(n * 0.99 + 0.999999)]
        printf "intervals between presents in %d spins: %d, median %.2f ms, mean %.2f ms, 99th percentile %.2f ms, largest %.2f ms, %d over 20 ms\n",
            spins, n, median / 1000, sum / n / 1000, p99 / 1000, v[n] / 1000, over + 0
    }'
