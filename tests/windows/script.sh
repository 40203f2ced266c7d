#!/bin/sh
# A seeded scripted game on the Windows build, under Wine, gives the Linux
# build's state lines and PNG bytes: coins, spins, holds and nudges, a gamble
# taken and its prize collected from the ladder, the bank collected. Every
# state file and capture of the one is compared with the other's, byte for
# byte, and the game is checked to have got that far.
#   script.sh WINDOWS_BUILD PREFIX LINUX_GAME
set -u
. "$(dirname "$0")/wine.sh"
wine_start "$1" "$2"
linux=$3
fail() { echo "FAIL: $*"; exit 1; }

# The machine's buttons: Coin 199,210, SPIN 199,302, GAMBLE 199,256,
# COLLECT 199,279, the first and third HOLD 34,175 and 150,175; the ladder's
# COLLECT 200,280.
snaps=0
snap() { printf 'capture %02d.png\nstate %02d.json\n' $snaps $snaps; snaps=$((snaps + 1)); }
{
    echo "wait 6000"; snap
    printf 'tap 199 210\nwait 300\n%.0s' 1 2 3; snap
    for round in $(seq 12); do
        printf 'tap 199 210\nwait 300\ntap 199 302\nwait 6000\ntap 199 256\nwait 1000\n'; snap
        printf 'tap 200 280\nwait 3000\n'; snap
        printf 'tap 34 175\nwait 3000\ntap 199 256\nwait 1000\ntap 150 175\nwait 3000\ntap 199 256\nwait 1000\n'; snap
        printf 'tap 200 280\nwait 3000\n'; snap
        printf 'tap 199 279\nwait 3000\n'; snap
    done
} >"$tmp/play.txt"

mkdir "$tmp/linux" "$tmp/windows"
(cd "$tmp/linux" && VANTARO_DATA_DIR=data ASAN_OPTIONS=detect_leaks=0 "$linux" --headless --start-tick 3000 \
    --script ../play.txt) || fail "the Linux build's game ended with $?"
(cd "$tmp/windows" && VANTARO_DATA_DIR=data win "$1/vantaro.exe" --headless --start-tick 3000 \
    --script ../play.txt) || fail "the Windows build's game ended with $?"

cd "$tmp"
for build in linux windows; do
    [ "$(ls $build/*.json | wc -l)" -eq $snaps ] && [ "$(ls $build/*.png | wc -l)" -eq $snaps ] ||
        fail "the $build build wrote $(ls $build/*.json | wc -l) states and $(ls $build/*.png | wc -l) captures, not $snaps"
done
differ=0
for file in linux/*.json linux/*.png; do
    cmp -s "$file" "windows/${file#linux/}" || { echo "differs: ${file#linux/}"; differ=$((differ + 1)); }
done
[ $differ -eq 0 ] || fail "$differ of $((2 * snaps)) files differ between the builds"
# What the game went through, so that the comparison covers it.
grep -q '"held":1' linux/*.json || fail "no reel was held"
grep -q '"screen":"ladder"' linux/*.json || fail "the game never reached the gamble ladder (another start tick?)"
grep -q '"bank":[1-9]' linux/*.json || fail "nothing was ever banked"
[ "$(cat linux/*.json | grep -o '"cash":[0-9]*' | sort -u | wc -l)" -gt 3 ] || fail "the cash hardly moved"
echo "the Windows build played the Linux build's game: $snaps states and $snaps captures the same"
