#include "player/tty/LineInput.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace vornal::tty {

LineInput::LineInput(int fd, bool (*interrupted)(), WakePipe* wake)
    : fd_(fd), interrupted_(interrupted), wake_(wake) {}

bool LineInput::hasLine() const {
    return buffer_.find('\n') != std::string::npos || (eof_ && !buffer_.empty());
}

void LineInput::alsoWakeOn(int fd, std::function<void()> ready) {
    extraFd_ = fd;
    extraReady_ = std::move(ready);
}

bool LineInput::fill(int timeoutMs) {
    // A negative descriptor is left out by poll().
    pollfd pfds[3] = {
        {fd_, POLLIN, 0}, {wake_ ? wake_->fd() : -1, POLLIN, 0}, {extraFd_, POLLIN, 0}};
    const int ready = ::poll(pfds, 3, timeoutMs);
    if (ready < 0) {
        if (errno == EINTR) return false;
        throw std::runtime_error(std::string("standard input: ") + std::strerror(errno));
    }
    if (ready == 0) return false;
    if (wake_ && (pfds[1].revents & POLLIN) != 0) {
        wake_->drain();
        woken_ = true;
        return false;
    }
    if ((pfds[2].revents & POLLIN) != 0) {
        extraReady_();
        woken_ = true;
        return false;
    }

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
        if (!fill(-1)) {
            if (interrupted_()) return Status::Interrupted;
            if (std::exchange(woken_, false)) return Status::Woken;
        }
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
        if (!fill(static_cast<int>(left.count())) &&
            (interrupted_() || std::exchange(woken_, false)))
            return false;
    }
    return true;
}

}  // namespace vornal::tty
