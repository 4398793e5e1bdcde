#!/usr/bin/env bash
# How much CPU an idle player uses: vnplayer opens a small game that waits for a
# command, and its user+system time is read from /proc over a few seconds.
#   bench/idle-cpu.sh [VNPLAYER] [SECONDS]
# Without VNPLAYER the optimised build (build/release) is made and used.
# Exit status 1 when the player used more than 1% of a core.
set -euo pipefail
cd "$(dirname "$0")/.."

player="${1:-}"
seconds="${2:-5}"
if [ -z "$player" ]; then
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNAL_TESTS=OFF >/dev/null
  cmake --build build/release --target vnplayer >/dev/null
  player=build/release/bin/vnplayer
fi

work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
printf '*SCENE hall\r\nYou stand in a quiet hall.\r\n>look\r\nNothing moves.\r\n*SCENEEND\r\n' \
  >"$work/idle.vns"

QT_QPA_PLATFORM=offscreen "$player" "$work/idle.vns" >"$work/out" 2>&1 &
pid=$!

# CPU ticks (utime + stime) of the player so far; fields counted after the command
# name, which is in parentheses and may hold blanks.
ticks() {
  local rest
  rest=$(sed 's/^.*) //' "/proc/$pid/stat")
  set -- $rest
  echo $(( ${12} + ${13} ))
}

sleep 2  # start-up and the game's opening are not idle time
kill -0 "$pid" 2>/dev/null || { echo "idle-cpu: vnplayer exited early:"; cat "$work/out"; exit 2; }
# Times the main thread woke up; a focused command line's caret blinks twice a second.
wakeups() { awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$pid/task/$pid/status"; }

before=$(ticks)
woke=$(wakeups)
sleep "$seconds"
after=$(ticks)
woke=$(( $(wakeups) - woke ))
hz=$(getconf CLK_TCK)

awk -v t=$(( after - before )) -v hz="$hz" -v s="$seconds" -v w="$woke" 'BEGIN {
  pct = 100 * t / hz / s
  printf "idle-cpu: %d ticks of %d/s in %d s: %.2f%% of one core; main thread woke %.1f times/s\n", t, hz, s, pct, w / s
  exit (pct > 1.0) ? 1 : 0
}'
