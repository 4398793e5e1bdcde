// vnplayer's usage, shared by the program entry (which answers --help before any display is
// needed) and the window (which shows it after a wrong command line).
#pragma once

namespace vornal {

inline constexpr const char* kPlayerUsage =
    "usage: vnplayer [--mute] [--output NAME] [--music-volume N] [--sound-volume N]\n"
    "                [--seed N] [--encoding E] [--watch] [GAME]\n"
    "                               play GAME (.vns script or .vnp archive) in a window;\n"
    "                               volumes 0 (silent) to 100 (the default),\n"
    "                               --seed N repeats the story's random numbers,\n"
    "                               --encoding utf-8|shift-jis reads the script so,\n"
    "                               --watch reopens GAME and replays what was typed\n"
    "                               whenever its files change\n"
    "       vnplayer --tty GAME     play it in the terminal (vnplayer --tty --help)\n"
    "       vnplayer --music FILE.mid [--once] [--seconds N] [--output NAME] [--fast]\n"
    "                                 [--music-volume N]\n"
    "                               play one song (docs/music.md)\n"
    "       vnplayer --list-outputs  what --output accepts on this machine\n"
    "       vnplayer --help | --version\n";

}  // namespace vornal
