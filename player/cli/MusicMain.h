// vnplayer --music FILE.mid: plays one song as *BGM would, without a game; and
// vnplayer --list-outputs: what --output accepts here (docs/music.md).
#pragma once

namespace vornal {

// Exit codes: 0 played (or stopped after --seconds), 1 the file could not be read or is no
// song the sequencer loads, 2 wrong command line, 130 interrupted (Ctrl-C).
int runMusic(int argc, char** argv);
int listOutputs();

}  // namespace vornal
