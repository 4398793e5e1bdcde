// The pack tool's window entry: `vnpack` alone or `vnpack gui [FILE ...]`.
#pragma once

namespace vornal::pack {

// Runs the window until it is closed, filled with the files given after "gui" as if they
// had been dropped on it. Returns the program's exit status.
int RunPackWindow(int argc, char** argv);

}  // namespace vornal::pack
