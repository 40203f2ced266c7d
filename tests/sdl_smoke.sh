#!/bin/sh
# The game on the SDL backend in a private X server: the window appears at its
# scale, a click arrives as a tap, a second copy hands over to the first and
# ends at once, and the close button and SIGTERM each end the game with 0.
#   sdl_smoke.sh GAME X11_CLOSE
set -u
game=$1
closer=$2
for tool in Xvfb xdotool; do
    command -v $tool >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

tmp=$(mktemp -d)
# Xvfb picks a free display number and writes it once it is ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; [ -n "${first:-}" ] && kill -9 $first 2>/dev/null; rm -rf "$tmp"' EXIT
for i in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || { echo "FAIL: Xvfb did not start"; cat "$tmp/xvfb.log"; exit 1; }
export DISPLAY=:$(cat "$tmp/display") VANTARO_DATA_DIR=$tmp/data VANTARO_TRACE=1
export SDL_AUDIODRIVER=no-such-driver   # no audio device: the game runs silently
export ASAN_OPTIONS=detect_leaks=0      # the X libraries keep what they allocate

fail() { echo "FAIL: $*"; echo "--- game output:"; cat "$tmp/first.log" 2>/dev/null; exit 1; }

# wait_for FILE PATTERN: up to 20 s for a line in the game's output
wait_for() {
    for i in $(seq 200); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}

start() {
    "$game" >"$tmp/first.log" 2>&1 &
    first=$!
    window=""
    for i in $(seq 200); do
        window=$(xdotool search --onlyvisible --name '^Vantaro$' 2>/dev/null | head -n 1)
        [ -n "$window" ] && break
        kill -0 $first 2>/dev/null || fail "the game ended before its window appeared"
        sleep 0.1
    done
    [ -n "$window" ] || fail "no window titled Vantaro appeared"
}

finish() {  # finish WHAT: the game must end by itself with status 0
    for i in $(seq 200); do kill -0 $first 2>/dev/null || break; sleep 0.1; done
    kill -0 $first 2>/dev/null && fail "$1 did not end the game"
    wait $first
    status=$?
    first=""
    [ $status -eq 0 ] || fail "$1 ended the game with status $status"
}

start
wait_for "$tmp/first.log" "window 480x640 at scale 2" || fail "the window did not open at scale 2"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq 480 ] && [ "$HEIGHT" -eq 640 ] || fail "window is ${WIDTH}x$HEIGHT, not 480x640"

# Frame pixel (120, 160) is window pixels 240-241, 320-321 at scale 2.
# The pointer enters first: X delivers a click to the window under it.
xdotool mousemove --window "$window" 241 321
sleep 0.5
xdotool click 1
wait_for "$tmp/first.log" "stylus down 120 160" || fail "the click did not arrive as a tap at (120, 160)"
wait_for "$tmp/first.log" "stylus up 120 160" || fail "the click's release did not arrive"

# A second copy hands over: the first is raised and asked to present.
timeout 20 "$game" >"$tmp/second.log" 2>&1
status=$?
[ $status -eq 0 ] || { cat "$tmp/second.log"; fail "the second copy ended with $status"; }
wait_for "$tmp/first.log" "another copy asks: raise" || fail "the first copy was not raised"
wait_for "$tmp/first.log" "another copy asks: post 1124" || fail "the first copy was not asked to present"

"$closer" "$window"
finish "the close button"

start
kill -TERM $first
finish "SIGTERM"
echo "SDL smoke test passed"
