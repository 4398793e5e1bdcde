// Lines of text from a file descriptor (standard input), read without stdio so that the
// player can wait for a line with a timeout and be interrupted while it waits.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace vornal::tty {

class LineInput {
public:
    // Longer lines are cut to this many bytes; the rest of such a line is dropped.
    static constexpr std::size_t kMaxLine = 64 * 1024;

    enum class Status { Line, End, Interrupted };

    // `interrupted` is polled whenever a wait is cut short by a signal.
    LineInput(int fd, bool (*interrupted)());

    // Blocks until a whole line is there (returned without its line end: LF, CR LF),
    // input has ended, or an interrupt was requested.
    Status readLine(std::string& line);

    // Waits at most `timeout` for readLine to have something to return without blocking
    // (a line or the end). False on timeout or interrupt.
    bool waitReady(std::chrono::milliseconds timeout);

    bool ended() const { return eof_ && !hasLine(); }
    // Whether an interrupt was requested (the function given above).
    bool interruptRequested() const { return interrupted_(); }

private:
    bool hasLine() const;
    // One read(); false when nothing came in time (or a signal arrived).
    bool fill(int timeoutMs);

    int fd_;
    bool (*interrupted_)();
    std::string buffer_;
    bool eof_ = false;
    std::size_t partial_ = 0;  // bytes of the line not yet ended
    bool dropping_ = false;    // inside the overlong tail of a line
};

}  // namespace vornal::tty
