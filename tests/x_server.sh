# Sourced by the tests that run the game in an X server of their own.
#   start_x FOLDER          starts Xvfb on a free display ($xvfb), with its log in
#                           FOLDER, and exports DISPLAY once it is ready; false when
#                           it did not start. It does not reset as its last client
#                           leaves, which would refuse a game started just then.
#   game_window PID         up to 30 s for the window titled Vantaro, in $window;
#                           fail (the test's own) when the game ends first or none comes
#   wait_for FILE PATTERN   up to 20 s for a line in FILE
start_x() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$1/display" >"$1/xvfb.log" 2>&1 &
    xvfb=$!
    for i in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
    [ -s "$1/display" ] || return 1
    export DISPLAY=:$(cat "$1/display")
}

game_window() {
    window=""
    for i in $(seq 300); do
        window=$(xdotool search --onlyvisible --name '^Vantaro$' 2>/dev/null | head -n 1)
        [ -n "$window" ] && return 0
        kill -0 "$1" 2>/dev/null || fail "the game ended before its window appeared"
        sleep 0.1
    done
    fail "no window titled Vantaro appeared"
}

wait_for() {
    for i in $(seq 200); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}
