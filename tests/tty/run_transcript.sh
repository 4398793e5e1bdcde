#!/usr/bin/env bash
# Plays one transcript of tests/games (format: tests/games/README.md) and compares.
#   run_transcript.sh VNPLAYER NAME.transcript [GAME]
# GAME, when given, is played in place of the game the transcript names (the same game in
# another form: its archive).
# VORNAL_BLESS=1 rewrites the transcript with what the player wrote instead.
set -uo pipefail

vnplayer=$(realpath "$1")
transcript=$2
dir=$(dirname "$transcript")

header=$(head -n 1 "$transcript")
if [[ $header != '$ vnplayer '* ]]; then
    echo "$transcript:1: the first line must be the command: \$ vnplayer --tty ... GAME"
    exit 1
fi
command=${header#'$ vnplayer '}
expected_status=0
if [[ $command == *' # exit '* ]]; then
    expected_status=${command##*' # exit '}
    command=${command%' # exit '*}
fi
read -r -a args <<< "$command"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tail -n +2 "$transcript" > "$work/expected"

# What was typed: the echoed commands, the answers and the commands taken back, up to the end
# of input.
awk '
    /^\[end of input\]/ { exit }
    /^\[undo\]/         { print "/undo"; next }
    /^> /               { print substr($0, 3); next }
    /^\[answer\]$/      { print ""; next }
    /^\[answer\] /      { print substr($0, 10); next }
' "$work/expected" > "$work/input"

# The game runs in a copy of its folder, so that what it writes (save files) stays out of
# the source tree.
game=${args[${#args[@]}-1]}
if [[ -n ${3:-} ]]; then
    mkdir "$work/game"
    cp "$3" "$work/game/"
    game=$3
else
    cp -R "$(cd "$dir" && cd "$(dirname "$game")" && pwd -P)" "$work/game"
fi
args[${#args[@]}-1]=$(basename "$game")
# NAME.expected.png beside the transcript: the picture area the playthrough leaves, composed
# independently (by ImageMagick from the same files).
expected_png=${transcript%.transcript}.expected.png
if [[ -e $expected_png ]]; then
    args=(--picture-out "$work/area.png" "${args[@]}")
fi
(cd "$work/game" && timeout -k 5 "${VORNAL_TRANSCRIPT_TIMEOUT:-30}" "$vnplayer" "${args[@]}") \
    < "$work/input" > "$work/raw" 2> "$work/stderr"
status=$?
# Messages name data files by their full path: the folder the game ran in reads as $PWD,
# so that a transcript holds wherever the tree is checked out.
here=$(cd "$work/game" && pwd -P)
sed "s|$here|\$PWD|g" "$work/raw" > "$work/actual"

if [[ ${VORNAL_BLESS:-0} == 1 ]]; then
    if [[ $status != "$expected_status" ]]; then
        echo "$transcript: not blessed: exit status $status, expected $expected_status"
        cat "$work/stderr"
        exit 1
    fi
    { printf '%s\n' "$header"; cat "$work/actual"; } > "$transcript"
    echo "blessed $transcript"
    exit 0
fi

failed=0
if [[ -e $expected_png ]]; then
    # JPEG decoders may differ by a few levels (up to 3 of 255 here).
    differing=$(compare -metric AE -fuzz 2% "$work/area.png" "$expected_png" null: 2>&1)
    if [[ $differing != 0 ]]; then
        echo "$transcript: the picture area differs from $expected_png in $differing pixels"
        failed=1
    fi
fi
if ! diff -u --label expected --label actual "$work/expected" "$work/actual"; then
    echo "$transcript: the output differs (VORNAL_BLESS=1 accepts it after an intended change)"
    failed=1
fi
if [[ $status != "$expected_status" ]]; then
    echo "$transcript: exit status $status, expected $expected_status"
    failed=1
fi
if [[ $failed == 1 && -s $work/stderr ]]; then
    echo "--- standard error:"
    cat "$work/stderr"
fi
exit $failed
