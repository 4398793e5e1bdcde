// Ends a terminal session from inside the engine's call to its host (a question that can
// never be answered, a stop signal). Deliberately not a std::exception: it must pass through
// the engine's handlers of script errors untouched.
#pragma once

#include <string>

#include "common/StopSignals.h"

namespace vornal::tty {

struct TtyAbort {
    int exitCode;
    std::string reason;
};

// The end a stop signal asks for: 130 "interrupted", 143 "terminated", 129 "hung up".
inline TtyAbort stopAbort() {
    return TtyAbort{stop::exitCode(), std::string(stop::reason())};
}

}  // namespace vornal::tty
