// A pipe that another thread writes a byte into to wake the terminal host's waits (the
// music timer has news for the player). Both ends are non-blocking; one byte or many wake
// the same.
#pragma once

namespace vornal::tty {

class WakePipe {
public:
    WakePipe();  // throws std::system_error when no pipe can be made
    ~WakePipe();
    WakePipe(const WakePipe&) = delete;
    WakePipe& operator=(const WakePipe&) = delete;

    // From any thread; async-signal-safe.
    void notify();
    // The end to poll for reading.
    int fd() const { return read_; }
    // Empties the pipe once its wake-up has been seen.
    void drain();

private:
    int read_ = -1;
    int write_ = -1;
};

}  // namespace vornal::tty
