// Lines of text from a file descriptor (standard input), read without stdio so that the
// player can wait for a line with a timeout and be interrupted while it waits.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "player/tty/WakePipe.h"

namespace vornal::tty {

class LineInput {
public:
    // Longer lines are cut to this many bytes; the rest of such a line is dropped.
    static constexpr std::size_t kMaxLine = 64 * 1024;

    enum class Status { Line, End, Interrupted, Woken };

    // `interrupted` is polled whenever a wait is cut short by a signal. Waits also end when
    // `wake` (if given) is notified.
    LineInput(int fd, bool (*interrupted)(), WakePipe* wake = nullptr);

    // Blocks until a whole line is there (returned without its line end: LF, CR LF),
    // input has ended, an interrupt was requested, or the wake descriptor was written to.
    Status readLine(std::string& line);

    // Waits at most `timeout` for readLine to have something to return without blocking
    // (a line or the end). False on timeout, interrupt or wake-up.
    bool waitReady(std::chrono::milliseconds timeout);

    // Waits also end when `fd` is readable; `ready` is then called and must drain it (live
    // reload's file watcher).
    void alsoWakeOn(int fd, std::function<void()> ready);

    bool ended() const { return eof_ && !hasLine(); }
    // Whether an interrupt was requested (the function given above).
    bool interruptRequested() const { return interrupted_(); }

private:
    bool hasLine() const;
    // One read(); false when nothing came in time (or a signal or wake-up arrived).
    bool fill(int timeoutMs);

    int fd_;
    bool (*interrupted_)();
    WakePipe* wake_;
    int extraFd_ = -1;
    std::function<void()> extraReady_;
    bool woken_ = false;
    std::string buffer_;
    bool eof_ = false;
    std::size_t partial_ = 0;  // bytes of the line not yet ended
    bool dropping_ = false;    // inside the overlong tail of a line
};

}  // namespace vornal::tty
