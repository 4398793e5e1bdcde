// The player's window entry: `vnplayer [GAME]`.
#pragma once

namespace vornal {

// Runs the window until it is closed; GAME, when given, is opened at start as if it
// had been chosen in the open dialog. Returns the program's exit status.
int runWindow(int argc, char** argv);

}  // namespace vornal
