#!/usr/bin/env python3
"""The KDE syntax definition, tried with KDE's own command-line highlighter.

    syntax_test.py SYNTAX.xml DEMO.vns

The demo (Shift-JIS) is converted to UTF-8, which the highlighter reads, and highlighted
with --syntax-trace=format, which names each piece's style; the lines below must get
theirs. A few lines the demo lacks (an unknown keyword, item values) are added after it.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

ESCAPE = re.compile(r"\x1b\[[0-9;]*[A-Za-z]")
SOURCE_LINE = "\x1b[48;2;255;255;255m"  # each line of the file starts so; the trace does not

EXTRA = "\n*ITEM\n鍵 2\n*ITEMEND\n*Goto 玄関\n *GOTO 玄関\n"

EXPECTED = [
    ("# 古い館の秘密 ―― VORNAL のデモゲーム", {"Comment"}),
    ("*TITLE 古い館の秘密", {"Keyword", "Story Text"}),
    ("*SCENE 玄関", {"Keyword", "Label"}),
    ("ランプ", {"Item"}),
    ("玄関ホールは薄暗い。正面には崩れかけた階段、右手には書斎の扉がある。", {"Story Text"}),
    (">見る/見回す/調べる", {"Pattern", "Operator"}),
    (">扉/取っ手/地下 開ける/開く/入る/降りる/鍵", {"Pattern", "Operator"}),
    ("*GOSUB 玄関の様子", {"Keyword", "Label"}),
    ("*GOTO 書斎", {"Keyword", "Label"}),
    ("*LABEL 玄関の様子", {"Keyword", "Label"}),
    ("*IF I(ランプ)==1 ランプは持っている", {"Keyword", "Item", "Operator", "Number", "Story Text"}),
    ("*IF F(10)==0 暗い", {"Keyword", "Flag", "Operator", "Number", "Story Text"}),
    ("*F(30)*=5", {"Keyword", "Flag", "Operator", "Number"}),
    ("*PICTURE lamp.bmp F(30) F(31)", {"Keyword", "Story Text", "Flag"}),
    ("*GETITEM ランプ", {"Keyword", "Item"}),
    ("*INPUT 金庫の番号は？ F(20)", {"Keyword", "Story Text", "Flag"}),
    ("*END", {"Keyword"}),
    ("*SCENEEND", {"Keyword"}),
    ("鍵 2", {"Item", "Number"}),
    ("*Goto 玄関", {"Unknown Keyword", "Story Text"}),
    (" *GOTO 玄関", {"Story Text"}),
]


def styles(trace):
    """Each line of the file with the set of style names the trace gives its pieces."""
    lines = []
    for raw in trace.split("\n"):
        if raw.startswith(SOURCE_LINE):
            lines.append((ESCAPE.sub("", raw), set()))
            continue
        if lines:
            # Each name stands in reverse video: ESC[7m NAME ESC[...
            for piece in raw.split("\x1b[7m")[1:]:
                lines[-1][1].add(piece.split("\x1b[", 1)[0].strip())
    return lines


def main():
    syntax, demo = sys.argv[1], sys.argv[2]
    program = shutil.which("kate-syntax-highlighter")
    if not program:
        sys.exit("kate-syntax-highlighter is missing: scripts/bootstrap installs "
                 "libkf5syntaxhighlighting-tools")
    with tempfile.TemporaryDirectory() as home:
        folder = os.path.join(home, "org.kde.syntax-highlighting", "syntax")
        os.makedirs(folder)
        shutil.copy(syntax, folder)
        script = os.path.join(home, "demo.vns")
        with open(demo, "rb") as f:
            text = f.read().decode("cp932")
        with open(script, "w", encoding="utf-8") as f:
            f.write(text + EXTRA)
        env = dict(os.environ, XDG_DATA_HOME=home, QT_QPA_PLATFORM="offscreen")
        run = subprocess.run([program, "--output-format", "ansi", "--syntax-trace", "format",
                              "--syntax", "VORNAL Script", script],
                             env=env, capture_output=True, text=True, check=False)
    if run.returncode != 0 or not run.stdout:
        sys.exit(f"the highlighter failed ({run.returncode}): {run.stderr}")
    found = styles(run.stdout)
    failed = False
    for line, expected in EXPECTED:
        got = [s for text, s in found if text == line]
        if not got:
            print(f"not in the output: {line!r}")
            failed = True
        elif got[0] != expected:
            print(f"{line!r}: styles {sorted(got[0])}, expected {sorted(expected)}")
            failed = True
    if failed:
        sys.exit(1)
    print(f"ok: {len(EXPECTED)} lines styled as expected")


if __name__ == "__main__":
    main()
