#!/bin/sh
# The game on the SDL backend in a private X server: the window appears at its
# scale, a scale too large for the screen falls back to one that fits and
# says so, a click arrives as a tap, a second copy on the same data folder
# (however it is named) hands over to the first, says so and ends at once,
# the close button ends the game with 0 and a closing signal with 128 + the
# signal, even with the About box up; the box takes the game's input
# meanwhile and never outlives the game, however the game ends; a window the
# player sized comes back at that size. Left to find
# a sound driver itself on a machine without sound, the game says nothing
# about it. Idle connections held open to the first copy do not keep a
# second from handing over; a process of another user that claims the
# single-copy socket first and answers as the game would does not keep the
# game from starting; another client destroying the window, or the X server
# going away, ends the game with 1 (the latter saying so) and leaves the
# high-score table as it was.
#   sdl_smoke.sh GAME X11_CLOSE UNIX_PEER HIGHSCORE_INSERT
set -u
game=$1
closer=$2
peer=$3
insert=$4
for tool in Xvfb xdotool; do
    command -v $tool >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

. "$(dirname "$0")/x_server.sh"
tmp=$(mktemp -d)
trap 'kill ${xvfb:-} ${held:-} ${squatter:-} 2>/dev/null; [ -n "${first:-}" ] && kill -9 $first 2>/dev/null; rm -rf "$tmp"' EXIT
start_x "$tmp" || { echo "FAIL: Xvfb did not start"; cat "$tmp/xvfb.log"; exit 1; }
export VANTARO_DATA_DIR=$tmp/data VANTARO_TRACE=1 XDG_CONFIG_HOME=$tmp/config
unset SDL_AUDIODRIVER                   # until the first game ends: the game's own choice
export ASAN_OPTIONS=detect_leaks=0      # the X libraries keep what they allocate

fail() { echo "FAIL: $*"; echo "--- game output:"; cat "$tmp/first.log" 2>/dev/null; exit 1; }

start() {  # start [OPTION]...: the game, its output in first.log
    "$game" "$@" >"$tmp/first.log" 2>&1 &
    first=$!
    game_window $first
}

finish() {  # finish WHAT STATUS: the game must end by itself with STATUS
    for i in $(seq 200); do kill -0 $first 2>/dev/null || break; sleep 0.1; done
    kill -0 $first 2>/dev/null && fail "$1 did not end the game"
    wait $first
    status=$?
    first=""
    [ $status -eq $2 ] || fail "$1 ended the game with status $status, not $2"
}

about_shown() {  # a window titled "About Vantaro" is on the display
    for w in $(xdotool search --classname '.*' 2>/dev/null); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "About Vantaro" ] && return 0
    done
    return 1
}

open_about() {  # Ctrl+A, with the pointer over the game, until the box shows
    xdotool mousemove --window "$window" 100 100
    sleep 0.3
    # The splash screen takes no keys: press again until the game does.
    for i in $(seq 150); do
        [ $((i % 30)) -eq 1 ] && xdotool key ctrl+a
        about_shown && return 0
        sleep 0.1
    done
    fail "Ctrl+A did not bring up the About box"
}

about_gone() {  # WHAT: the box and its helper are gone within 5 s
    for i in $(seq 50); do
        about_shown || pgrep -f platform-box-helper >/dev/null || return 0
        sleep 0.1
    done
    fail "the About box outlived the game after $1"
}

start --mute
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

hand_over() {  # hand_over WHAT [OPTION]...: a second copy hands over to the first and ends
    what=$1
    shift
    env -u VANTARO_TRACE timeout 20 "$game" --mute "$@" >"$tmp/second.out" 2>"$tmp/second.log"
    status=$?
    [ $status -eq 0 ] || { cat "$tmp/second.log"; fail "the second copy $what ended with $status"; }
    # It says so in one line, and nothing else (with no sound found, nothing of that).
    said=$(cat "$tmp/second.out" "$tmp/second.log")
    [ "$said" = "vantaro: Vantaro is already running; brought it to the front" ] ||
        { echo "$said"; fail "the second copy $what did not say (only) that it handed over"; }
}

# A second copy hands over: the first is raised and asked to present. The
# data folder named with a trailing slash or through a link is the same one.
ln -s "$VANTARO_DATA_DIR" "$tmp/link"
handed=0
for folder in "$VANTARO_DATA_DIR" "$VANTARO_DATA_DIR/" "$tmp/link"; do
    hand_over "on $folder" --data-dir "$folder"
    handed=$((handed + 1))
    for i in $(seq 100); do
        [ "$(grep -c "another copy asks: post 1124" "$tmp/first.log")" -ge $handed ] && break
        sleep 0.1
    done
    [ "$(grep -c "another copy asks: raise" "$tmp/first.log")" -ge $handed ] || fail "$folder: the first copy was not raised"
    [ "$(grep -c "another copy asks: post 1124" "$tmp/first.log")" -ge $handed ] ||
        fail "$folder: the first copy was not asked to present"
done

# Connections of the same user that send nothing hold up no one: with more
# of them open than the first copy serves at a time, a second copy still
# hands over.
name=$(sed -n 's/^vantaro: trace: single copy: listening on @//p' "$tmp/first.log" | head -n 1)
[ -n "$name" ] || fail "the first copy did not say where it listens"
"$peer" hold "$name" 12 >"$tmp/held.out" 2>&1 &
held=$!
wait_for "$tmp/held.out" ready || fail "could not open idle connections to the first copy: $(cat "$tmp/held.out")"
hand_over "beside idle connections"
kill $held
held=""

# The About box is modal: a click on the machine meanwhile is not a tap.
open_about
clicks=$(grep -c "stylus down" "$tmp/first.log")
xdotool mousemove --window "$window" 400 580 click 1
sleep 1
[ "$(grep -c "stylus down" "$tmp/first.log")" -eq "$clicks" ] || fail "a click on the game reached it behind the About box"
"$closer" "$window"
finish "the close button over the About box" 0
about_gone "the close button"
grep -e ALSA -e XDG_RUNTIME_DIR "$tmp/first.log" && fail "the game spoke of sound it did not find"

export SDL_AUDIODRIVER=no-such-driver   # no audio device from here on: the game runs silently

# Anyone may claim an abstract socket's name: a process of another user
# that holds the game's and answers "ok" is no copy of the game. The game
# starts all the same, and says so in one line.
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
    chmod 755 "$tmp" && cp "$peer" "$tmp/unix_peer"   # where user nobody may run it
    setpriv --reuid=nobody --regid=nogroup --clear-groups "$tmp/unix_peer" squat "$name" >"$tmp/squat.out" 2>&1 &
    squatter=$!
    wait_for "$tmp/squat.out" ready || fail "user nobody could not claim the socket: $(cat "$tmp/squat.out")"
    start
    grep -qx "vantaro: a process of another user ($(id -u nobody)) holds the single-copy socket of this data folder; starting alone" \
        "$tmp/first.log" || fail "the game did not say that another user holds its socket"
    "$closer" "$window"
    finish "the close button beside another user's socket" 0
    kill $squatter
    squatter=""
else
    echo "not tried: a socket claimed by another user (needs root and setpriv)"
fi

# 1280 pixels high do not fit 768: the largest scale that does.
start --scale 4
wait_for "$tmp/first.log" "window 480x640 at scale 2" || fail "--scale 4 did not fall back to scale 2"
grep -qx "vantaro: --scale 4 does not fit this screen (768 pixels high); using 2" "$tmp/first.log" ||
    fail "the fallback from --scale 4 was not reported"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq 480 ] && [ "$HEIGHT" -eq 640 ] || fail "window at --scale 4 is ${WIDTH}x$HEIGHT, not 480x640"
# The player sizes the window down: the next start comes back at that size,
# not merely at the scale it shows the frame at.
xdotool windowsize "$window" 300 430
for i in $(seq 50); do grep -qx "window=300x430" "$tmp/config/vantaro/settings.ini" 2>/dev/null && break; sleep 0.1; done
grep -qx "window=300x430" "$tmp/config/vantaro/settings.ini" 2>/dev/null || fail "the window's new size was not kept"
kill -TERM $first
finish "SIGTERM" 143

start
wait_for "$tmp/first.log" "window 300x430 at scale 1" || fail "the kept size did not come back"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq 300 ] && [ "$HEIGHT" -eq 430 ] || fail "the window came back at ${WIDTH}x$HEIGHT, not 300x430"
kill -HUP $first
finish "SIGHUP" 129
grep -q "close request" "$tmp/first.log" || fail "SIGHUP did not close the game as a close request"

start
open_about
kill -TERM $first
finish "SIGTERM over the About box" 143
about_gone "SIGTERM"

start
open_about
kill -KILL $first
wait $first
first=""
about_gone "the game was killed"
start  # and the next launch gets a game of its own
"$closer" "$window"
finish "the close button" 0

# What the X side ends the game with ends it with 1, not with the abort of
# std::terminate (a thread still running as the program exits): another
# client destroying the window, an X error Xlib does not let the game go on
# from; the X server going away, which the game says in a line of its own.
# The high-score table stays as it was.
"$insert" LOSTX 9999 >/dev/null || fail "could not put a score in the table"
cp "$VANTARO_DATA_DIR/vantarohs.dat" "$tmp/table"
start
"$closer" "$window" destroy
finish "destroying the window" 1
grep -q "terminate called" "$tmp/first.log" && fail "destroying the window ended the game through std::terminate"
start
kill $xvfb
finish "losing the display" 1
grep -q "^vantaro: lost the X display :" "$tmp/first.log" || fail "the game did not say it lost the display"
grep -q "terminate called" "$tmp/first.log" && fail "losing the display ended the game through std::terminate"
cmp -s "$tmp/table" "$VANTARO_DATA_DIR/vantarohs.dat" || fail "the game's end changed the high-score table"
echo "SDL smoke test passed"
