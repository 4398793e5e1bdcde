// Ends a terminal session from inside the engine's call to its host (a question that can
// never be answered, an interrupt). Deliberately not a std::exception: it must pass through
// the engine's handlers of script errors untouched.
#pragma once

#include <string>

namespace vornal::tty {

struct TtyAbort {
    int exitCode;
    std::string reason;
};

}  // namespace vornal::tty
