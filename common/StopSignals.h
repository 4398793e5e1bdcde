// SIGINT, SIGTERM and SIGHUP as requests to stop: the program notices at its next step
// and ends in order (files completed, temporary files removed) with the shell's status
// for the signal, 128 + its number: 130, 143 and 129. A second signal of the same kind
// ends the program at once.
#pragma once

#include <string_view>

namespace vornal::stop {

// Installs the handlers, without SA_RESTART: a blocked read or sleep returns at once.
void installHandlers();
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
