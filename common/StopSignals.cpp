#include "common/StopSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <csignal>

namespace vornal::stop {

namespace {

volatile std::sig_atomic_t gCaught = 0;
int gWakeRead = -1;
int gWakeWrite = -1;

extern "C" void onStopSignal(int signal) {
    if (gCaught == 0) gCaught = signal;
    if (gWakeWrite >= 0) {
        const char byte = 1;
        // A full pipe is readable already.
        [[maybe_unused]] const ssize_t written = ::write(gWakeWrite, &byte, 1);
    }
}

}  // namespace

void installHandlers(HandlerOptions options) {
    if (gWakeRead < 0) {
        int fds[2];
        if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
            gWakeRead = fds[0];
            gWakeWrite = fds[1];
        }
    }
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags =
        (options.restartCalls ? SA_RESTART : 0) | (options.secondSignalEnds ? SA_RESETHAND : 0);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        sigaction(signal, nullptr, &previous);
        if (previous.sa_handler != SIG_IGN) sigaction(signal, &action, nullptr);
    }
}

int signalCaught() {
    return gCaught;
}

int exitCode() {
    return 128 + gCaught;
}

std::string_view reason() {
    switch (gCaught) {
        case SIGTERM:
            return "terminated";
        case SIGHUP:
            return "hung up";
        default:
            return "interrupted";
    }
}

int wakeFd() {
    return gWakeRead;
}

}  // namespace vornal::stop
