#include "player/tty/LineInput.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace vornal::tty {

LineInput::LineInput(int fd, bool (*interrupted)()) : fd_(fd), interrupted_(interrupted) {}

bool LineInput::hasLine() const {
    return buffer_.find('\n') != std::string::npos || (eof_ && !buffer_.empty());
}

bool LineInput::fill(int timeoutMs) {
    pollfd pfd{fd_, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, timeoutMs);
    if (ready < 0) {
        if (errno == EINTR) return false;
        throw std::runtime_error(std::string("standard input: ") + std::strerror(errno));
    }
    if (ready == 0) return false;

    char chunk[4096];
    const ssize_t got = ::read(fd_, chunk, sizeof chunk);
    if (got < 0) {
        if (errno == EINTR || errno == EAGAIN) return false;
        throw std::runtime_error(std::string("standard input: ") + std::strerror(errno));
    }
    if (got == 0) {
        eof_ = true;
        return true;
    }
    for (ssize_t i = 0; i < got; ++i) {
        const char c = chunk[i];
        if (dropping_) {
            if (c != '\n') continue;
            dropping_ = false;
        }
        buffer_.push_back(c);
        if (c == '\n') {
            partial_ = 0;
            continue;
        }
        // Bound the partial line: keep its first kMaxLine bytes and drop the rest.
        if (++partial_ >= kMaxLine) dropping_ = true;
    }
    return true;
}

LineInput::Status LineInput::readLine(std::string& line) {
    while (!hasLine()) {
        if (eof_) return Status::End;
        if (!fill(-1) && interrupted_()) return Status::Interrupted;
    }
    const std::size_t end = buffer_.find('\n');
    if (end == std::string::npos) {
        line = std::move(buffer_);
        buffer_.clear();
    } else {
        line.assign(buffer_, 0, end);
        buffer_.erase(0, end + 1);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return Status::Line;
}

bool LineInput::waitReady(std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    while (!hasLine() && !eof_) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        if (!fill(static_cast<int>(left.count())) && interrupted_()) return false;
    }
    return true;
}

}  // namespace vornal::tty
