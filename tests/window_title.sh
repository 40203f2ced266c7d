#!/bin/sh
# The game under a real window manager (openbox, in a private X server):
# the volume and the sound switched off show in the title the window
# manager reads (_NET_WM_NAME, and WM_NAME), whatever the locale, and go
# again after two seconds.
#   window_title.sh GAME
set -u
game=$1
for tool in Xvfb openbox xdotool xprop; do
    command -v $tool >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
. "$(dirname "$0")/x_server.sh"
tmp=$(mktemp -d)
trap 'kill ${xvfb:-} ${wm:-} ${pid:-} 2>/dev/null; rm -rf "$tmp"' EXIT
start_x "$tmp" || { echo "FAIL: Xvfb did not start"; exit 1; }
export VANTARO_DATA_DIR=$tmp/data XDG_CONFIG_HOME=$tmp/config
export SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0
openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
wm=$!
for i in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break; sleep 0.1; done

fail() { echo "FAIL: $*"; cat "$tmp/game.log"; exit 1; }
# title WINDOW: "_NET_WM_NAME|WM_NAME" as the window manager reads them
title() {
    printf '%s|%s' "$(xprop -id "$1" _NET_WM_NAME | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p')" \
        "$(xprop -id "$1" WM_NAME | sed -n 's/^WM_NAME([A-Z_]*) = "\(.*\)"$/\1/p')"
}
wait_title() {  # wait_title WINDOW TITLE: up to 10 s
    for i in $(seq 100); do [ "$(title "$1")" = "$2|$2" ] && return 0; sleep 0.1; done
    return 1
}

for locale in C C.UTF-8; do
    LC_ALL=$locale LANG=$locale "$game" >"$tmp/game.log" 2>&1 &
    pid=$!
    window=""
    for i in $(seq 200); do
        window=$(xdotool search --onlyvisible --name '^Vantaro' 2>/dev/null | head -n 1)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || fail "no window under $locale"
    wait_title "$window" "Vantaro" || fail "the title under $locale is '$(title "$window")'"
    xdotool windowactivate --sync "$window" key minus
    wait_title "$window" "Vantaro - Volume 90%" || fail "the volume under $locale shows as '$(title "$window")'"
    xdotool key m
    wait_title "$window" "Vantaro - Sound off" || fail "the mute under $locale shows as '$(title "$window")'"
    wait_title "$window" "Vantaro" || fail "the status under $locale stays: '$(title "$window")'"
    kill -TERM $pid
    wait $pid
    rm -rf "$tmp/config"
done
echo "the status shows in the window manager's title under C and C.UTF-8"
