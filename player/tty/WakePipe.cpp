#include "player/tty/WakePipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace vornal::tty {

WakePipe::WakePipe() {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0)
        throw std::system_error(errno, std::generic_category(), "wake-up pipe");
    read_ = fds[0];
    write_ = fds[1];
}

WakePipe::~WakePipe() {
    ::close(read_);
    ::close(write_);
}

void WakePipe::notify() {
    const char byte = 1;
    // A full pipe wakes the reader already.
    [[maybe_unused]] const ssize_t written = ::write(write_, &byte, 1);
}

void WakePipe::drain() {
    char buffer[64];
    while (::read(read_, buffer, sizeof buffer) > 0) {
    }
}

}  // namespace vornal::tty
