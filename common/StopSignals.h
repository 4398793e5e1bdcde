// SIGINT, SIGTERM and SIGHUP as requests to stop: the program notices at its next step
// and ends in order (files completed, temporary files removed) with the shell's status
// for the signal, 128 + its number: 130, 143 and 129.
#pragma once

#include <string_view>

namespace vornal::stop {

struct HandlerOptions {
    // Off: a blocked read, poll or sleep returns at once (an event loop notices). On: calls
    // go on as if nothing came (a tool that checks between blocks of work).
    bool restartCalls = false;
    // On: a second signal of the same kind ends the program at once.
    bool secondSignalEnds = true;
};

// Installs the handlers. A signal ignored when the program started (nohup) stays ignored.
void installHandlers(HandlerOptions options = {});
// The first stop signal caught; 0 while none was.
int signalCaught();
inline bool requested() {
    return signalCaught() != 0;
}
// 128 + the signal caught.
int exitCode();
// "interrupted", "terminated" or "hung up", for the program's last message.
std::string_view reason();
// Becomes readable when a stop signal arrives, for event loops that wait on descriptors;
// -1 before installHandlers().
int wakeFd();

}  // namespace vornal::stop
