#!/usr/bin/env bash
# vnplayer --tty as a user runs it: options, exit codes, timing, interrupts, a terminal.
#   cli_test.sh CASE VNPLAYER [VNPACK]
set -uo pipefail

case_name=$1
vnplayer=$(realpath "$2")
vnpack=${3:+$(realpath "$3")}
media=$(cd "$(dirname "$0")/../games/media" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

fail() {
    echo "FAIL ($case_name): $*"
    for f in out err; do
        [[ -s $f ]] && { echo "--- $f:"; head -c 2000 "$f"; echo; }
    done
    exit 1
}

# run EXPECTED_STATUS ARGS... < input: runs the player, output in ./out and ./err.
run() {
    local expected=$1
    shift
    timeout -k 5 30 "$vnplayer" "$@" > out 2> err
    local status=$?
    [[ $status == "$expected" ]] || fail "vnplayer $* exited $status, expected $expected"
}

expect_out() { grep -qF -- "$1" out || fail "no '$1' on standard output"; }
expect_err() { grep -qF -- "$1" err || fail "no '$1' on standard error"; }
expect_no_out() { [[ ! -s out ]] || fail "standard output should be empty"; }
expect_no_err() { [[ ! -s err ]] || fail "standard error should be empty"; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# wait_for TEXT PID: until standard output shows TEXT (the player is up and has got there).
# Ctrl-C for the player alone: `timeout` would pass a SIGINT on to its child twice (to the
# child, then to its process group), and the second one ends the player before it can say so.
interrupt_player() {
    kill -INT "$(pgrep -P "$1")"
}

wait_for() {
    local tries=0
    until grep -qF -- "$1" out 2> /dev/null; do
        kill -0 "$2" 2> /dev/null || fail "the player ended before writing '$1'"
        ((++tries < 300)) || fail "no '$1' after 30 s"
        sleep 0.1
    done
}

# A game whose opening shows one line and then waits for a command.
printf '*SCENE s\nHello.\n>where\nHere.\n*SCENEEND\n' > simple.vns

case $case_name in
music)
    # Half a second at 120 beats per minute: program 0, C4 for 96 ticks (division 96).
    printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60MTrk\x00\x00\x00\x0f' > song.mid
    printf '\x00\xc0\x00\x00\x90\x3c\x64\x60\x80\x3c\x00\x00\xff\x2f\x00' >> song.mid
    run 0 --music song.mid --once --fast --output log:-
    [[ $(cat out) == $'10.000 open\n20.000 C0 00 00\n20.000 90 3C 64\n520.000 80 3C 00\n520.000 reset\n520.000 close' ]] ||
        fail "--once log differs"
    expect_no_err
    # Repeating, stopped when the time is up.
    run 0 --music song.mid --seconds 1 --fast --output log:-
    [[ $(tail -n 5 out) == $'530.000 open\n540.000 C0 00 00\n540.000 90 3C 64\n1000.000 reset\n1000.000 close' ]] ||
        fail "--seconds log differs"
    # A log has no volume: its lines stay as they are.
    cp out full.log
    run 0 --music song.mid --seconds 1 --fast --output log:- --music-volume 0
    cmp -s out full.log || fail "the log changed with the volume"
    run 2 --music song.mid --music-volume loud < /dev/null
    expect_err "--music-volume takes a whole number from 0 to 100, not loud"
    run 2 --music song.mid --fast < /dev/null
    expect_err "--fast needs --once or --seconds N"
    run 2 --music song.mid --output speakers < /dev/null
    expect_err "unknown music output speakers"
    run 2 --tty --output speakers simple.vns < /dev/null
    expect_err "unknown music output speakers"
    expect_no_out
    run 1 --music missing.mid < /dev/null
    expect_err "cannot read missing.mid"
    printf 'RIFF....' > broken.mid
    run 1 --music broken.mid --once --fast --output log:- < /dev/null
    expect_err "[message] スタンダード・ミディ・フォーマットのファイルではありません"
    expect_no_out
    # In real time the single play takes its half second, then the player exits.
    start=$(now_ms)
    run 0 --music song.mid --once --output log:music.log < /dev/null
    elapsed=$(($(now_ms) - start))
    ((elapsed >= 450)) || fail "the song took ${elapsed} ms, expected about 530"
    grep -q ' 80 3C 00$' music.log || fail "no note off in the real-time log"
    [[ $(tail -n 1 music.log) == *' close' ]] || fail "the real-time log does not end with close"
    ;;
list-outputs)
    run 0 --list-outputs < /dev/null
    expect_out "synth "
    expect_out "synth:FILE.sf2"
    expect_out "log:FILE"
    expect_out "wav:FILE"
    ;;
help)
    run 0 --tty --help < /dev/null
    expect_out "Usage: vnplayer --tty [--trace] [--fast] [--mute] [--output NAME]"
    expect_out "--fast"
    expect_no_err
    # --help wins over a missing game and over other options.
    run 0 --tty --trace --help < /dev/null
    expect_out "Usage:"
    ;;
version)
    run 0 --tty --version < /dev/null
    [[ $(cat out) == "vnplayer (VORNAL) 0.10" ]] || fail "version line is '$(cat out)'"
    expect_no_err
    ;;
usage)
    run 2 --tty < /dev/null
    expect_err "no game given"
    expect_no_out
    run 2 --tty --bogus simple.vns < /dev/null
    expect_err "unknown option --bogus"
    expect_no_out
    run 2 --tty simple.vns other.vns < /dev/null
    expect_err "more than one game"
    expect_no_out
    run 2 --tty --sound-volume 101 simple.vns < /dev/null
    expect_err "--sound-volume takes a whole number from 0 to 100, not 101"
    expect_no_out
    # The window takes the volumes too, and checks them before it opens.
    QT_QPA_PLATFORM=offscreen run 2 --music-volume 1000 simple.vns < /dev/null
    expect_err "--music-volume takes a whole number from 0 to 100, not 1000"
    QT_QPA_PLATFORM=offscreen run 2 simple.vns --sound-volume < /dev/null
    expect_err "--sound-volume needs a value"
    # After "--" a name that looks like an option is a game.
    cp simple.vns ./--odd.vns
    run 0 --tty -- --odd.vns < /dev/null
    expect_out "Hello."
    ;;
cannot-open)
    run 1 --tty missing.vns < /dev/null
    expect_err "cannot open missing.vns"
    expect_no_out
    run 1 --tty 無い.vns < /dev/null
    expect_err "cannot open 無い.vns"
    printf 'Just text, no scene.\n' > noscene.vns
    run 1 --tty noscene.vns < /dev/null
    expect_err "cannot open noscene.vns"
    expect_no_out
    printf 'not an archive at all' > game.VNP
    run 1 --tty game.VNP < /dev/null
    expect_err "スクリプトの読み込みに失敗しました"
    expect_no_out
    printf '*SCREEN 320 wide\n*SCENE s\nHello.\n' > badscreen.vns
    run 1 --tty badscreen.vns < /dev/null
    expect_err "cannot open badscreen.vns"
    expect_err "*SCREEN 320 wide"
    expect_no_out
    ;;
end-in-input)
    # Input ends while *INPUT asks: the game would refuse an empty answer forever.
    printf '*SCENE s\nBefore.\n*INPUT Age? F(1)\nAfter.\n*SCENEEND\n' > ask.vns
    run 1 --tty --fast ask.vns < /dev/null
    [[ $(cat out) == $'Before.\n[input] Age?\n[end of input]' ]] || fail "transcript differs"
    expect_err "input ended while the game was asking for input"
    ;;
end-in-wait)
    # Input ends at once: the running pass and its *WAIT still finish, in real time.
    printf '*SCENE s\nBefore.\n*WAIT 3\nAfter.\n>where\n*SCENEEND\n' > wait.vns
    start=$(now_ms)
    run 0 --tty wait.vns < /dev/null
    elapsed=$(($(now_ms) - start))
    [[ $(cat out) == $'Before.\nAfter.' ]] || fail "transcript differs"
    ((elapsed >= 350)) || fail "*WAIT 3 took ${elapsed} ms, expected about 400"
    expect_no_err
    ;;
interrupt)
    # A runaway script: Ctrl-C (SIGINT) ends it; what it wrote before is kept.
    printf '*SCENE s\nBefore the loop.\n*LABEL a\n*GOTO a\n*SCENEEND\n' > loop.vns
    timeout -k 5 30 "$vnplayer" --tty --fast loop.vns < /dev/null > out 2> err &
    pid=$!
    wait_for "Before the loop." $pid
    sleep 0.5
    kill -0 $pid 2> /dev/null || fail "the runaway script ended by itself"
    interrupt_player $pid
    wait $pid
    status=$?
    [[ $status == 130 ]] || fail "exit status $status after SIGINT, expected 130"
    [[ $(cat out) == "Before the loop." ]] || fail "output before the loop was lost"
    expect_err "interrupted"
    # Idle, waiting for a command on a terminal that never types: SIGINT ends it too.
    mkfifo typing
    timeout -k 5 30 "$vnplayer" --tty simple.vns < typing > out 2> err &
    pid=$!
    exec 3> typing
    wait_for "Hello." $pid
    interrupt_player $pid
    wait $pid
    status=$?
    exec 3>&-
    [[ $status == 130 ]] || fail "exit status $status when interrupted while idle"
    [[ $(cat out) == "Hello." ]] || fail "opening text missing"
    # And while a question waits for its answer.
    printf '*SCENE s\nAsk.\n*INPUT Age? F(1)\n>x\n*SCENEEND\n' > ask.vns
    timeout -k 5 30 "$vnplayer" --tty ask.vns < typing > out 2> err &
    pid=$!
    exec 3> typing
    wait_for "[input] Age?" $pid
    interrupt_player $pid
    wait $pid
    status=$?
    exec 3>&-
    [[ $status == 130 ]] || fail "exit status $status when interrupted during *INPUT"
    [[ $(cat out) == $'Ask.\n[input] Age?' ]] || fail "transcript differs"
    ;;
wait-timing)
    printf '*SCENE s\nA\n*WAIT 10\nB\n*WAIT 0\nC\n>x\n*SCENEEND\n' > timed.vns
    start=$(now_ms)
    run 0 --tty timed.vns < /dev/null
    slow=$(($(now_ms) - start))
    # 11 ticks, then 2 ticks: 1.3 s.
    ((slow >= 1200 && slow < 8000)) || fail "real-time waits took ${slow} ms, expected 1300"
    [[ $(cat out) == $'A\nB\nC' ]] || fail "transcript differs"
    # --fast does not sleep: 15 s of ticks pass in a moment (bound loose for busy machines).
    printf '*SCENE s\nA\n*WAIT 150\nB\n>x\n*SCENEEND\n' > long.vns
    start=$(now_ms)
    run 0 --tty --fast long.vns < /dev/null
    fast=$(($(now_ms) - start))
    ((fast < 7000)) || fail "--fast took ${fast} ms for a 15 s *WAIT"
    [[ $(cat out) == $'A\nB' ]] || fail "transcript differs with --fast"
    ;;
type-during-wait)
    # *SETINPUT 1 keeps the command line open through a long *WAIT; a matching
    # command typed then replaces the rest of the paused block at once.
    printf '*SCENE s\nPause.\n*SETINPUT 1\n*WAIT 100\nNever shown.\n>where\nHere.\n*SCENEEND\n' \
        > skip.vns
    start=$(now_ms)
    printf 'where\n' | timeout -k 5 30 "$vnplayer" --tty skip.vns > out 2> err
    status=$?
    elapsed=$(($(now_ms) - start))
    [[ $status == 0 ]] || fail "exit status $status"
    [[ $(cat out) == $'Pause.\n> where\nHere.' ]] || fail "transcript differs"
    ((elapsed < 6000)) || fail "took ${elapsed} ms: the 10 s pause was not cut short"
    ;;
terminal-cls)
    # On a terminal *CLS clears the screen; in a transcript it writes nothing. Control
    # characters of the script never reach the terminal raw.
    printf '*SCENE s\nOne.\n*CLS\nTwo \033[31mred\n>x\n*SCENEEND\n' > cls.vns
    script -qec "'$vnplayer' --tty --fast cls.vns" /dev/null < /dev/null > out 2> err
    grep -qF $'\033[H\033[2J' out || fail "no clear-screen sequence on a terminal"
    grep -qF 'Two ^[[31mred' out || fail "ESC not shown as ^["
    grep -qF $'\033[31m' out && fail "a raw ESC of the script reached the terminal"
    run 0 --tty --fast cls.vns < /dev/null
    [[ $(cat out) == $'One.\nTwo ^[[31mred' ]] || fail "transcript differs"
    run 0 --tty --fast --trace cls.vns < /dev/null
    [[ $(cat out) == $'One.\n[trace] cls\nTwo ^[[31mred' ]] || fail "trace transcript differs"
    ;;
long-line)
    # A typed line is cut at 64 KiB; the next line is read as usual.
    { head -c 100000 /dev/zero | tr '\0' a; printf '\nwhere\n'; } > typed
    run 0 --tty --fast simple.vns < typed
    [[ $(sed -n 2p out | wc -c) == $((2 + 65536 + 1)) ]] || fail "long line not cut to 64 KiB"
    [[ $(sed -n '3,$p' out) == $'> where\nHere.' ]] || fail "the line after was lost"
    ;;
archive)
    # The same game packed by vnpack plays the same; the extension's case does not matter.
    printf '*SCENE s\nHello from the archive.\n>where\nHere.\n*SCENEEND\n' > game.vns
    "$vnpack" create -o GAME.Vnp game.vns > /dev/null || fail "vnpack create failed"
    rm game.vns
    printf 'where\n' > typed
    run 0 --tty --fast GAME.Vnp < typed
    [[ $(cat out) == $'Hello from the archive.\n> where\nHere.' ]] || fail "transcript differs"
    # File names are UTF-8 on disk, Japanese ones included.
    mv GAME.Vnp 古い館.vnp
    run 0 --tty --fast 古い館.vnp < typed
    [[ $(cat out) == $'Hello from the archive.\n> where\nHere.' ]] || fail "Japanese file name"
    ;;
idle-cpu)
    # Waiting for a command, and sleeping through a *WAIT, use no CPU: nothing polls.
    printf '*SCENE s\nHello.\n>wait\n*WAIT 100\n>x\n*SCENEEND\n' > idle.vns
    mkfifo typing
    timeout -k 5 30 "$vnplayer" --tty idle.vns < typing > out 2> err &
    pid=$!
    exec 3> typing
    cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
    wait_for "Hello." $pid
    before=$(cpu_ticks)
    sleep 1
    idle=$(($(cpu_ticks) - before))
    echo wait >&3
    sleep 1
    before=$(cpu_ticks)
    sleep 1
    waiting=$(($(cpu_ticks) - before))
    interrupt_player $pid
    wait $pid
    exec 3>&-
    echo "CPU ticks (1/100 s) in one second: idle $idle, during *WAIT $waiting"
    ((idle <= 2)) || fail "idle player used $idle CPU ticks in one second"
    ((waiting <= 5)) || fail "player in a *WAIT used $waiting CPU ticks in one second"
    ;;
picture-out)
    # The area as scene.vns leaves it, composed by ImageMagick from the same files; the
    # JPEG's pixels may differ by a level or two between decoders.
    for file in area.png area.BMP; do
        run 0 --tty --fast --picture-out "$file" "$media/scene.vns" < /dev/null
        differing=$(compare -metric AE -fuzz 1% "$file" "$media/scene.expected.png" null: 2>&1)
        [[ $differing == 0 ]] || fail "$file differs from scene.expected.png in $differing pixels"
    done
    [[ $(identify -format %m area.BMP) == BMP* ]] || fail "area.BMP is no BMP file"
    # Nothing drawn: the area's size in its background colour.
    printf '*SCREEN 40 30\n*SCENE s\nHi.\n*SCENEEND\n' > blank.vns
    run 0 --tty --fast --picture-out blank.png blank.vns < /dev/null
    [[ $(convert blank.png -format '%w %h %k %[hex:p{0,0}]' info:) == "40 30 1 F0F0F0" ]] ||
        fail "blank area: $(convert blank.png -format '%w %h %k %[hex:p{0,0}]' info:)"
    run 2 --tty --picture-out area.gif blank.vns < /dev/null
    expect_err "--picture-out FILE must end in .png or .bmp"
    run 1 --tty --fast --picture-out no/such/folder/area.png blank.vns < /dev/null
    expect_err "cannot write the picture area"
    expect_out "Hi."
    ;;
sound-wait)
    # Each *SE waits for its half-second sound; --mute too, --fast not at all.
    export SDL_AUDIODRIVER=dummy
    cp "$media/snd/bell.wav" bell.wav
    printf '*SCENE s\nA\n*SE bell\nB\n*SE bell\n*SE bell\n*SE bell\nC\n*SCENEEND\n' > bells.vns
    for option in --trace --mute --fast; do
        start=$(now_ms)
        run 0 --tty "$option" bells.vns < /dev/null
        took=$(($(now_ms) - start))
        if [[ $option == --fast ]]; then
            ((took < 1500)) || fail "--fast took $took ms for 2 s of sounds"
        else
            ((took >= 2000 && took < 10000)) || fail "$option: 2 s of sounds took $took ms"
        fi
        [[ $(grep -v '^\[trace\]' out) == $'A\nB\nC' ]] || fail "$option: transcript differs"
    done
    expect_no_err
    # Ctrl-C ends the wait at once.
    printf '*SCENE s\nLong.\n*SE bell\n*SE bell\n*SE bell\n*SE bell\n*SE bell\n*SE bell\n*SCENEEND\n' \
        > long.vns
    timeout -k 5 30 "$vnplayer" --tty long.vns < /dev/null > out 2> err &
    pid=$!
    wait_for "Long." $pid
    start=$(now_ms)
    kill -INT $pid
    wait $pid
    status=$?
    took=$(($(now_ms) - start))
    [[ $status == 130 ]] || fail "exit status $status after SIGINT during a sound"
    ((took < 1000)) || fail "SIGINT during a sound took $took ms"
    ;;
*)
    fail "no such case"
    ;;
esac
echo "ok ($case_name)"
