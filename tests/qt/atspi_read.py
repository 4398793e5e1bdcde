#!/usr/bin/python3
# Plays the window as a screen reader sees it, through AT-SPI: finds the command line and
# the message area by their accessible names, enters a command, and reads the new line back,
# both from the text and from the insert event the screen reader is sent.
#   atspi_read.py VNPLAYER GAME COMMAND EXPECTED_LINE
# Runs inside a private D-Bus session and X display (atspi_test.sh). Every wait has a
# deadline; the player is ended whatever happens.
import os
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

DEADLINE = 30.0  # seconds for each condition; a loaded machine is slow, never this slow


def fail(message):
    print("atspi_read: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, condition, explain=lambda: ""):
    """Runs the main loop (events arrive through it) until condition() is true."""
    context = GLib.MainContext.default()
    end = time.monotonic() + DEADLINE
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        while context.pending():
            context.iteration(False)
        time.sleep(0.02)
    detail = explain()
    fail("timed out waiting for " + what + (": " + detail if detail else ""))


def find(node, wanted, depth=0):
    """The first accessible below node that wanted() accepts (depth first)."""
    if node is None or depth > 40:
        return None
    if wanted(node):
        return node
    for i in range(node.get_child_count()):
        found = find(node.get_child_at_index(i), wanted, depth + 1)
        if found is not None:
            return found
    return None


def named(name, roles):
    def wanted(node):
        try:
            return node.get_name() == name and node.get_role() in roles
        except GLib.Error:
            return False
    return wanted


def text_of(node):
    return Atspi.Text.get_text(node, 0, Atspi.Text.get_character_count(node))


def main():
    vnplayer, game, command, expected = sys.argv[1:5]
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", SDL_AUDIODRIVER="dummy")
    player = subprocess.Popen([vnplayer, "--mute", "--output", "log:/dev/null", game], env=env)
    try:
        Atspi.init()
        desktop = Atspi.get_desktop(0)

        def app():
            for i in range(desktop.get_child_count()):
                child = desktop.get_child_at_index(i)
                if child is not None and child.get_process_id() == player.pid:
                    return child
            return None

        def apps():
            names = []
            for i in range(desktop.get_child_count()):
                child = desktop.get_child_at_index(i)
                if child is not None:
                    names.append("%s (%d)" % (child.get_name(), child.get_process_id()))
            return ", ".join(names) or "none"

        application = wait_for("the player on the accessibility bus", app,
                               lambda: "player %s, exit status %s; applications: %s"
                               % (player.pid, player.poll(), apps()))
        entry_roles = (Atspi.Role.ENTRY, Atspi.Role.TEXT, Atspi.Role.PASSWORD_TEXT)
        memo_roles = (Atspi.Role.TEXT, Atspi.Role.DOCUMENT_TEXT, Atspi.Role.PARAGRAPH,
                      Atspi.Role.ENTRY)
        line = wait_for("the command line", lambda: find(application, named("コマンド", entry_roles)))
        memo = wait_for("the message area", lambda: find(application, named("メッセージ", memo_roles)))
        button = find(application, named("入力", (Atspi.Role.PUSH_BUTTON,)))
        if button is None:
            fail("no button named 入力")
        picture = find(application, named("画像", (Atspi.Role.IMAGE,)))
        wait_for("the game's first lines", lambda: text_of(memo).strip())

        inserted = []

        def on_insert(event):
            if event.source == memo:
                inserted.append(event.any_data)

        listener = Atspi.EventListener.new(on_insert)
        listener.register("object:text-changed:insert")
        # The command typed into the command line, then its button pressed.
        wait_for("the command line to take text",
                 lambda: Atspi.EditableText.set_text_contents(line, command)
                 and text_of(line) == command)
        Atspi.Action.do_action(button, 0)
        wait_for("the new line in the message area", lambda: expected in text_of(memo))
        wait_for("the new line announced", lambda: any(expected in t for t in inserted))
        echo = "> " + command
        if echo not in text_of(memo):
            fail("the echo '%s' is missing from the message area" % echo)
        listener.deregister("object:text-changed:insert")
        print("atspi_read: read back '%s' (%d insert events)%s"
              % (expected, len(inserted), "" if picture is None else "; picture named"))
    finally:
        player.terminate()
        try:
            player.wait(timeout=10)
        except subprocess.TimeoutExpired:
            player.kill()
            player.wait()


if __name__ == "__main__":
    main()
