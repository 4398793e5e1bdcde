#!/usr/bin/env bash
# The window under a screen reader's eyes: a virtual display (Xvfb), a private D-Bus session
# with the AT-SPI bus and registry, and atspi_read.py reading the window through them.
#   atspi_test.sh VNPLAYER
# Everything it starts runs in a process group of its own, ended at the exit.
set -uo pipefail
if [[ $(ps -o pgid= $$ | tr -d ' ') != "$$" ]]; then
    exec setsid --wait "$0" "$@"
fi
here=$(cd "$(dirname "$0")" && pwd)
vnplayer=$(realpath "$1")
for tool in Xvfb xdpyinfo dbus-run-session /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || { echo "atspi_test: $tool missing; run scripts/bootstrap"; exit 1; }
done
/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
    { echo "atspi_test: gir1.2-atspi-2.0 missing; run scripts/bootstrap"; exit 1; }

work=$(mktemp -d)
xvfb=""
cleanup() {
    [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null
    # Whatever else is left (the bus launcher and registry the session activated) goes with
    # the group; this shell ignores the signal it sends.
    trap '' TERM
    kill -TERM -- -$$ 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# A game with one command, in Shift-JIS as games are.
printf '*SCENE s\r\n暗い広間。\r\n>見る\r\n絵が掛かっている。\r\n' | iconv -f UTF-8 -t CP932 > "$work/read.vns"
export HOME=$work XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
export QT_QPA_PLATFORM=xcb
# Xvfb picks a free display itself and names it once it accepts clients: no race with other
# servers on the machine, and no fixed sleep. Without -noreset the server would reset each
# time its last client left, refusing clients meanwhile.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 300); do
    [[ -s $work/display ]] && break
    kill -0 "$xvfb" 2>/dev/null || { echo "atspi_test: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
    sleep 0.1
done
[[ -s $work/display ]] || { echo "atspi_test: Xvfb named no display in 30 s"; exit 1; }
export DISPLAY=:$(head -n 1 "$work/display")
# Named, then accepting clients.
for _ in $(seq 300); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
xdpyinfo >/dev/null 2>&1 || { echo "atspi_test: $DISPLAY accepts no clients"; exit 1; }
dbus-run-session -- /usr/bin/python3 "$here/atspi_read.py" "$vnplayer" "$work/read.vns" \
    見る 絵が掛かっている。
