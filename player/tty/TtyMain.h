// vnplayer --tty: plays a game in the terminal, reading typed commands from standard
// input and writing the message area to standard output (docs/vnplayer-tty.md).
#pragma once

namespace vornal {

// Returns the program's exit code: 0 played to the end of input, 1 the game could not be
// opened or stopped with an error, 2 usage error, 3 the game had stopped for good (a data
// file failed), 130, 143, 129 stopped by SIGINT, SIGTERM, SIGHUP.
int runTty(int argc, char** argv);

}  // namespace vornal
