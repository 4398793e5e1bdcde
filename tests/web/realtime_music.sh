#!/usr/bin/env bash
# The node player in real time: the music's timers run while the player waits (in a *WAIT
# and for a command), as the timer thread runs beside the desktop player. A song of half a
# second, played once, starts and ends within a *WAIT of 0.8 s.
#   realtime_music.sh VNPLAYER
set -uo pipefail
vnplayer=$(realpath "$1")
music=$(cd "$(dirname "$0")/../games/music" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir music && cp "$music/title.mid" music/
printf '*SCENE s\nStart.\n*BGM music\\title 0\n*WAIT 8\nWaited.\n>x\n*SCENEEND\n' > song.vns
timeout -k 5 30 "$vnplayer" --output log:- song.vns < /dev/null > out 2> err
status=$?
# The log's times vary from run to run; what comes, and in which order, does not.
actual=$(sed -E 's/^[0-9]+\.[0-9]{3} //' out)
expected=$'Start.\nopen\nC0 00 00\n90 3C 64\n80 3C 00\nreset\nclose\nWaited.'
if [[ $status != 0 || $actual != "$expected" ]]; then
    echo "FAIL: exit status $status; standard output:"
    cat out
    echo "--- standard error:"
    cat err
    exit 1
fi
