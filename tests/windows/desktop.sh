#!/bin/sh
# The windowed Windows program under Wine, in a private X server: it opens
# its window at the scale asked for, a click on Coin reaches the game as a
# tap, a second copy on the same data folder hands over (says so, ends with
# 0) while the first plays on, and a close request (WM_DELETE_WINDOW, as a
# window manager's close button sends it) ends the first with 0, its
# high-score table as it was.
#   desktop.sh WINDOWS_BUILD PREFIX X11_CLOSE
set -u
. "$(dirname "$0")/wine.sh"
wine_start "$1" "$2"
closer=$3
command -v xdotool >/dev/null || skip "xdotool is not installed"
insert=$1/tests/highscore_insert.exe
[ -f "$insert" ] || skip "no highscore_insert.exe in $1/tests (./dev test builds it)"
export VANTARO_DATA_DIR=$tmp/data
cd "$tmp"

fail() { echo "FAIL: $*"; echo "--- the first copy's output:"; tr -d '\r' <"$tmp/first.log"; exit 1; }

# A table with a score in it, which the game must leave as it is.
mkdir "$VANTARO_DATA_DIR"
head -c 240 /dev/zero >"$VANTARO_DATA_DIR/vantarohs.dat"
[ "$(win "$insert" WINE 9999 | tr -d '\r')" = 1 ] || fail "could not put a score in the table"
cp "$VANTARO_DATA_DIR/vantarohs.dat" table

VANTARO_TRACE=1 win "$1/vantaro.exe" --mute --scale 2 >"$tmp/first.log" 2>&1 &
first=$!
game_window $first
wait_for first.log "window 480x640 at scale 2" || fail "the window did not open at scale 2"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq 480 ] && [ "$HEIGHT" -eq 640 ] || fail "the window is ${WIDTH}x$HEIGHT, not 480x640"

# Coin's centre, frame pixel (199, 210), is window pixel (399, 421) at scale
# 2. The pointer enters first: X gives a click to the window under it.
xdotool mousemove --window "$window" 399 421
sleep 0.5
xdotool click 1
wait_for first.log "stylus down 199 210" || fail "the click on Coin did not arrive as a tap at (199, 210)"

win "$1/vantaro.exe" --mute >second.out 2>second.log
status=$?
[ $status -eq 0 ] || { cat second.log; fail "the second copy ended with $status"; }
said=$(cat second.out second.log | tr -d '\r')
[ "$said" = "vantaro: Vantaro is already running; brought it to the front" ] ||
    { echo "$said"; fail "the second copy did not say (only) that it handed over"; }
wait_for first.log "another copy asks: post 1124" || fail "the first copy was not asked to present"
grep -q "another copy asks: raise" "$tmp/first.log" || fail "the first copy was not raised"
kill -0 $first 2>/dev/null || fail "the first copy ended when the second handed over"

"$closer" "$window"
for i in $(seq 300); do kill -0 $first 2>/dev/null || break; sleep 0.1; done
kill -0 $first 2>/dev/null && fail "the close request did not end the game"
wait $first
status=$?
[ $status -eq 0 ] || fail "the close request ended the game with $status, not 0"
grep -q "close request" "$tmp/first.log" || fail "the game did not hear a close request"
cmp -s table "$VANTARO_DATA_DIR/vantarohs.dat" || fail "the game changed the high-score table"
echo "the Windows program's window passed under Wine"
