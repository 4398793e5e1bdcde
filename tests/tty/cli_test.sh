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

# signal_player SIGNAL PID: the signal for the player alone, not for `timeout` around it.
signal_player() {
    kill -"$1" "$(pgrep -P "$2")"
}

# wait_for_samples FILE PID: until the WAV file holds samples (the music is under way).
wait_for_samples() {
    local tries=0
    until [[ -f $1 && $(stat -c %s "$1") -gt 44 ]]; do
        kill -0 "$2" 2> /dev/null || fail "the player ended before writing samples into $1"
        ((++tries < 300)) || fail "no samples in $1 after 30 s"
        sleep 0.1
    done
}

# signal_during_music WAV SIGNAL STATUS ARGS...: runs the player with ARGS until WAV holds
# samples, then sends SIGNAL; the player must end with STATUS, its WAV file complete.
signal_during_music() {
    local wav=$1 signal=$2 expected=$3 pid status
    shift 3
    rm -f "$wav"
    timeout -k 5 30 "$vnplayer" "$@" < /dev/null > out 2> err &
    pid=$!
    wait_for_samples "$wav" $pid
    signal_player "$signal" $pid
    wait $pid
    status=$?
    [[ $status == "$expected" ]] || fail "vnplayer $*: exit status $status after SIG$signal"
    check_wav "$wav"
}

# check_wav FILE: the header claims exactly the whole frames the file holds, and some.
check_wav() {
    local size riff data
    size=$(stat -c %s "$1")
    riff=$(od -An --endian=little -t u4 -j 4 -N 4 "$1" | tr -d ' ')
    data=$(od -An --endian=little -t u4 -j 40 -N 4 "$1" | tr -d ' ')
    ((riff == size - 8 && data == size - 44 && data % 4 == 0)) ||
        fail "$1: the header claims RIFF $riff and data $data for a file of $size bytes"
    ((data > 0)) || fail "$1 holds no samples"
}

# Half a second at 120 beats per minute: program 0, C4 for 96 ticks (division 96).
write_song() {
    printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60MTrk\x00\x00\x00\x0f' > "$1"
    printf '\x00\xc0\x00\x00\x90\x3c\x64\x60\x80\x3c\x00\x00\xff\x2f\x00' >> "$1"
}

# A dense song: chords of eight notes on eight channels, struck and released on every
# tick (about 5 ms at 120 beats per minute, division 96), 2 s long.
write_dense_song() {
    local body='' i c n
    for ((i = 0; i < 400; i++)); do
        for ((c = 0; c < 8; c++)); do
            body+="\\x0$((c == 0 ? 1 : 0))\\x9${c}\\x3c\\x$((i % 2 ? 0 : 64))"
        done
    done
    printf "$body"'\x00\xff\x2f\x00' > track.bin
    n=$(stat -c %s track.bin)
    {
        printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60MTrk\x00\x00'
        printf "\\x$(printf %02x $((n >> 8)))\\x$(printf %02x $((n & 255)))"
        cat track.bin
    } > "$1"
}

# A game whose opening shows one line and then waits for a command.
printf '*SCENE s\nHello.\n>where\nHere.\n*SCENEEND\n' > simple.vns

case $case_name in
music)
    write_song song.mid
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
    # Cut short inside its last entry: the script is whole, so the game opens, names what
    # is lost once on standard error (in the words of vnpack list) and stops where it needs it.
    printf '*SCENE s\nHello.\n>look\n*PICTURE b\nSeen.\n*SCENEEND\n' > cut.vns
    head -c 3000 /dev/urandom > a.bmp
    head -c 3000 /dev/urandom > b.bmp
    "$vnpack" create -o cut.vnp cut.vns a.bmp b.bmp > /dev/null || fail "vnpack create failed"
    truncate -s $(($(stat -c %s cut.vnp) - 100)) cut.vnp
    printf 'look\n' > typed
    run 3 --tty --fast cut.vnp < typed
    [[ $(cat out) == $'Hello.\n> look\n[message] データb.bmpの読み込みに失敗しました\nSeen.' ]] ||
        fail "the cut archive's transcript differs"
    [[ $(grep -c 'damaged archive' err) == 1 ]] || fail "the damage is not named once"
    expect_err "vnplayer: damaged archive 'cut.vnp': entry 2 'B.BMP': the file is cut short inside it"
    expect_err "[halted] データb.bmpの読み込みに失敗しました"
    "$vnpack" list cut.vnp > list.out 2> list.err && fail "vnpack list accepted the cut archive"
    [[ $(sed -n 's/^vnpack: //p' list.err) == $(sed -n 's/^vnplayer: \(damaged\)/\1/p' err) ]] ||
        fail "vnpack list and the player name the damage differently"
    grep -q ' A.BMP$' list.out || fail "vnpack list does not list the entry before the damage"
    # Cut inside the script: refused, with the reason.
    truncate -s 40 cut.vnp
    run 1 --tty --fast cut.vnp < typed
    expect_err "vnplayer: cannot open cut.vnp: スクリプトの読み込みに失敗しました (damaged archive 'cut.vnp': entry 0 '*SCRIPT*': the file is cut short inside it"
    expect_no_out
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
whole-lines)
    # The music's log (its timer thread) and the game's transcript (this thread) share
    # standard output, and standard error goes to the same file: every line is one of
    # theirs, whole, never two spliced together.
    write_dense_song dense.mid
    line='The game writes line after line of its own text while the music plays.'
    printf '*SCENE s\n*F(1)=0\n*BGM dense\n*WAIT 2\n*LABEL top\n*F(1)+=1\n%s\n*IF F(1)<40000 top\n' "$line" > busy.vns
    printf '*WAIT 5\n*PICTURE missing\nDone.\n>x\n*SCENEEND\n' >> busy.vns
    timeout -k 5 60 "$vnplayer" --tty --output log:- busy.vns < /dev/null > out 2>&1
    status=$?
    [[ $status == 3 ]] || fail "exit status $status, expected 3 (halted)"
    stop="ファイル$PWD/missing.bmpが開けません"
    game=0 music=0
    while IFS= read -r l; do
        if [[ $l == "$line" ]]; then
            ((++game))
        elif [[ $l =~ ^[0-9]+\.[0-9]{3}\ (open|reset|close|[0-9A-F]{2}(\ [0-9A-F]{2})*)$ ]]; then
            ((++music))
        elif [[ $l != "[message] $stop" && $l != "[halted] $stop" && $l != Done. ]]; then
            fail "a line that is neither the game's nor the music's: '$l'"
        fi
    done < out
    ((game == 40000)) || fail "$game lines of the game's text, expected 40000"
    ((music > 0)) || fail "no music was logged"
    [[ $(grep -c '^\[halted\]' out) == 1 ]] || fail "no single [halted] line"
    echo "$game lines of the game and $music of the music, all whole"
    ;;
halted)
    # A game stopped by a data file says so on standard error, once; its text is as it was.
    printf '*SCENE s\nBefore.\n*PICTURE missing\n*PICTURE gone\nAfter.\n>x\nNever.\n*SCENEEND\n' \
        > stop.vns
    printf 'x\n' > typed
    run 3 --tty --fast stop.vns < typed
    [[ $(cat out) == "Before."$'\n'"[message] ファイル$PWD/missing.bmpが開けません"$'\n'"[message] ファイル$PWD/gone.bmpが開けません"$'\n'"After."$'\n'"> x" ]] ||
        fail "transcript differs"
    [[ $(cat err) == "[halted] ファイル$PWD/missing.bmpが開けません" ]] || fail "standard error differs"
    # Stopped during a *WAIT, it can never go on: the same status at once.
    printf '*SCENE s\nA.\n*PICTURE missing\n*WAIT 1\nB.\n>x\n*SCENEEND\n' > waiting.vns
    run 3 --tty --fast waiting.vns < /dev/null
    expect_err "[halted] ファイル$PWD/missing.bmpが開けません"
    expect_err "vnplayer: the game has stopped and takes no more commands"
    # A game that goes on ends with 0 and says nothing.
    run 0 --tty --fast simple.vns < typed
    expect_no_err
    ;;
wav)
    write_song song.mid
    # A file that cannot be created: said, and --music fails; a game goes on without music.
    run 1 --music song.mid --once --fast --output wav:no/such/folder/song.wav < /dev/null
    [[ $(cat err) == "vnplayer: music: cannot write no/such/folder/song.wav: No such file or directory" ]] ||
        fail "the message for a WAV file that cannot be created differs"
    run 1 --music song.mid --once --fast --output wav:/dev/full < /dev/null
    expect_err "cannot write /dev/full: No space left on device"
    printf '*SCENE s\nHello.\n*BGM song\n*WAIT 3\nStill here.\n>x\n*SCENEEND\n' > tune.vns
    run 0 --tty --fast --output wav:no/such/folder/song.wav tune.vns < /dev/null
    [[ $(cat out) == $'Hello.\nStill here.' ]] || fail "the game's transcript differs"
    [[ $(cat err) == "vnplayer: music: cannot write no/such/folder/song.wav: No such file or directory; the music is silent" ]] ||
        fail "the game's music message differs"
    # Writes that fail half way (a file size limit): the header claims what was written.
    (ulimit -f 64 && trap '' XFSZ && exec "$vnplayer" --music song.mid --seconds 20 --fast \
        --output wav:limited.wav) < /dev/null > out 2> err
    status=$?
    [[ $status == 1 ]] || fail "exit status $status when the file could not grow"
    expect_err "cannot write limited.wav: File too large"
    check_wav limited.wav
    # A full disk, for real: a small tmpfs, when the tests may mount one.
    mkdir small
    if [[ $(id -u) == 0 ]] && mount -t tmpfs -o size=256k tmpfs small 2> /dev/null; then
        trap 'umount "$work/small"; rm -rf "$work"' EXIT
        run 1 --music song.mid --seconds 20 --fast --output wav:small/song.wav < /dev/null
        expect_err "cannot write small/song.wav: No space left on device"
        check_wav small/song.wav
        rm small/song.wav
        # In a game: the one message, and the game goes on to its end.
        printf '*SCENE s\nPlaying.\n*BGM song\n*WAIT 300\nPlayed.\n>x\n*SCENEEND\n' > long.vns
        run 0 --tty --fast --output wav:small/game.wav long.vns < /dev/null
        [[ $(cat out) == $'Playing.\n[message] cannot write small/game.wav: No space left on device\nPlayed.' ]] ||
            fail "the game's transcript on a full disk differs"
        expect_no_err
        check_wav small/game.wav
    else
        echo "skipped: a full disk needs a tmpfs, which only root can mount here"
    fi
    ;;
signals)
    write_song song.mid
    # SIGTERM and SIGHUP end the player as Ctrl-C does: in order, the WAV file complete.
    signal_during_music music.wav INT 130 --music song.mid --output wav:music.wav
    signal_during_music music.wav TERM 143 --music song.mid --output wav:music.wav
    signal_during_music music.wav HUP 129 --music song.mid --output wav:music.wav
    # A game in the terminal, waiting in real time.
    printf '*SCENE s\nPlaying.\n*BGM song\n*WAIT 600\nPlayed.\n>x\n*SCENEEND\n' > long.vns
    signal_during_music game.wav TERM 143 --tty --output wav:game.wav long.vns
    expect_err "vnplayer: terminated"
    # A runaway script, hung up.
    printf '*SCENE s\nBefore the loop.\n*LABEL a\n*GOTO a\n*SCENEEND\n' > loop.vns
    timeout -k 5 30 "$vnplayer" --tty --fast loop.vns < /dev/null > out 2> err &
    pid=$!
    wait_for "Before the loop." $pid
    signal_player HUP $pid
    wait $pid
    status=$?
    [[ $status == 129 ]] || fail "a runaway script: exit status $status after SIGHUP"
    expect_err "vnplayer: hung up"
    # Stopped while it saves over and over: no temporary file is left beside the save.
    printf '*SCENE s\nSaving.\n*LABEL a\n*SAVE 1\n*GOTO a\n*SCENEEND\n' > saver.vns
    for signal in INT:130 TERM:143 HUP:129; do
        rm -f saver1.sav
        yes y | timeout -k 5 30 "$vnplayer" --tty --fast saver.vns > out 2> err &
        pid=$!
        until [[ -e saver1.sav ]]; do
            kill -0 $pid 2> /dev/null || fail "the saving game ended by itself"
            sleep 0.05
        done
        sleep 0.3
        signal_player "${signal%:*}" $pid
        wait $pid
        status=$?
        [[ $status == "${signal#*:}" ]] || fail "saving: exit status $status after SIG${signal%:*}"
        left=$(find . -maxdepth 1 -name '.saver1.sav.*')
        [[ -z $left ]] || fail "SIG${signal%:*} during *SAVE left $left"
    done
    ;;
window-signals)
    # The window ends in order on SIGTERM and SIGHUP too, even with a dialog open.
    export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
    write_song song.mid
    printf '*SCENE s\nPlaying.\n*BGM song\n*WAIT 600\n>x\n*SCENEEND\n' > long.vns
    printf '*SCENE s\n*BGM song\n*INPUT Age? F(1)\nAfter.\n*SCENEEND\n' > asking.vns
    signal_during_music window.wav TERM 143 --output wav:window.wav long.vns
    signal_during_music window.wav HUP 129 --output wav:window.wav asking.vns
    signal_during_music window.wav TERM 143 --output wav:window.wav asking.vns
    ;;
readonly-saves)
    # A game whose folder cannot be written saves into the user's data folder, says so once,
    # and loads from there; nothing lands beside the game.
    mkdir game data
    printf '*SCENE s\nStart.\n>save\n*F(1)=42\n*SAVE 1\nSaved.\n>load\n*F(1)=0\n*LOAD 1\n*IF F(1)==42 OK\nWrong.\n*END\n*LABEL OK\nLoaded.\n*END\n' > game/game.vns
    export XDG_DATA_HOME=$work/data
    if [[ $(id -u) != 0 ]]; then
        chmod a-w game
        play() { printf 'save\nload\n' | timeout -k 5 30 "$vnplayer" --tty game/game.vns > out 2> err; }
    elif unshare -rm true 2> /dev/null; then
        # Root writes anywhere but on a read-only mount: one in a namespace of its own.
        mkdir ro
        play() {
            printf 'save\nload\n' | unshare -rm sh -c \
                'mount --bind -o ro game ro && exec timeout -k 5 30 "$0" --tty ro/game.vns' \
                "$vnplayer" > out 2> err
        }
    else
        echo "skipped: no read-only folder can be made here"
        exit 77
    fi
    play || fail "vnplayer exited $?"
    expect_out "Saved."
    expect_out "Loaded."
    folder=$(find data/VORNAL/saves -mindepth 1 -maxdepth 1 -type d)
    [[ $folder == data/VORNAL/saves/game-[0-9a-f]* ]] || fail "saves folder: '$folder'"
    [[ -f $folder/game1.sav ]] || fail "no save in $folder"
    expect_err "the game's folder cannot be written; its saves go to $work/$folder"
    [[ $(grep -c "saves go to" err) == 1 ]] || fail "said more than once"
    [[ $(ls game) == game.vns ]] || fail "a file was written beside the game: $(ls game)"
    chmod u+w game
    # A writable folder: beside the game as always, and nothing said.
    printf 'save\n' | timeout -k 5 30 "$vnplayer" --tty game/game.vns > out 2> err
    [[ -f game/game1.sav ]] || fail "no save beside a writable game"
    expect_no_err
    ;;
seed)
    # Forty draws of R(1000): the same seed tells the same story, another seed another.
    { printf '*SCENE s\n>draw\n'
      for i in $(seq 40); do printf '*F(1)=R(1000)\n*IF F(1)<500 low%d\nhigh\n*GOTO n%d\n*LABEL low%d\nlow\n*LABEL n%d\n' $i $i $i $i; done
      printf '*SCENEEND\n'; } > dice.vns
    run 0 --tty --fast --seed 7 dice.vns <<< draw
    cp out first
    run 0 --tty --fast --seed 7 dice.vns <<< draw
    cmp -s out first || fail "--seed 7 told two stories"
    run 0 --tty --fast --seed 8 dice.vns <<< draw
    cmp -s out first && fail "--seed 8 told the story of --seed 7"
    [[ $(grep -c '^high$' first) -gt 0 && $(grep -c '^low$' first) -gt 0 ]] || fail "no mix of draws"
    run 2 --tty --seed -1 dice.vns < /dev/null
    expect_err "--seed takes a number from 0 to 4294967295"
    run 2 --tty --seed 4294967296 dice.vns < /dev/null
    ;;
encoding)
    printf '\xef\xbb\xbf*SCENE 玄関\r\nようこそ。\r\n>見る\r\n扉がある。\r\n*SCENEEND\r\n' > utf8.vns
    run 0 --tty --fast utf8.vns <<< '見る'
    [[ $(cat out) == $'ようこそ。\n> 見る\n扉がある。' ]] || fail "a UTF-8 script plays as Shift-JIS would"
    run 1 --tty --encoding shift-jis utf8.vns < /dev/null
    expect_err "utf8.vnsに*SCENEがありません"
    printf '*SCENE a\nやあ\xf0\x9f\x98\x80\n*SCENEEND\n' > emoji.vns
    run 1 --tty emoji.vns < /dev/null
    expect_err "vnplayer: cannot open emoji.vns: Error:2行目3文字目の文字U+1F600はShift-JISで表せません"
    run 2 --tty --encoding latin1 utf8.vns < /dev/null
    expect_err "--encoding takes utf-8 or shift-jis"
    ;;
watch)
    # Each step waits for the player's output before the next change: no step depends on
    # how long the last one took.
    printf '*SCENE a\nHello.\n>look\nA %s.\n*YESNO sure? a b\n*END\n*LABEL b\nNo.\n*END\n*SCENEEND\n' box > g.vns
    mkfifo in
    timeout -k 5 60 "$vnplayer" --tty --watch --fast g.vns < in > out 2> err &
    pid=$!
    exec 3> in
    printf 'look\nn\n' >&3
    wait_for "No." $pid
    printf '*SCENE a\nHello again.\n>look\nA %s.\n*YESNO sure? a b\n*END\n*LABEL b\nNo!\n*END\n*SCENEEND\n' lamp > g.vns.new
    mv g.vns.new g.vns
    wait_for "No!" $pid
    # A script broken mid-edit leaves the game as it was, and says why.
    printf 'broken' > g.vns
    until grep -qF "does not open" err; do
        kill -0 $pid 2> /dev/null || fail "the player ended"
        sleep 0.1
    done
    # A data file changing reopens the game too; a save file does not.
    printf 'x' > game1.sav
    printf '*SCENE a\nThird.\n>look\nA key.\n*SCENEEND\n' > g.vns
    wait_for "Third." $pid
    printf 'BM' > pic.bmp
    until [[ $(grep -c '^\[reloaded\] g.vns$' out) == 3 ]]; do
        kill -0 $pid 2> /dev/null || fail "the player ended"
        sleep 0.1
    done
    printf 'look\n' >&3
    exec 3>&-
    wait $pid || fail "exit status $?"
    expected='Hello.
> look
A box.
[yes/no] sure?
[answer] n
No.
[reloaded] g.vns
Hello again.
> look
A lamp.
[yes/no] sure?
[answer] n
No!
[reloaded] g.vns
Third.
> look
A key.
[reloaded] g.vns
Third.
> look
A key.
> look
A key.'
    [[ $(cat out) == "$expected" ]] || fail "the transcript differs: $(diff <(echo "$expected") out)"
    expect_err "vnplayer: g.vns changed but does not open; the game goes on as it was: Error:g.vnsに*SCENEがありません"
    ;;
*)
    fail "no such case"
    ;;
esac
echo "ok ($case_name)"
