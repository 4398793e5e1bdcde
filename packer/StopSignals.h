// While alive, SIGINT, SIGTERM and SIGHUP only note that they came: the command stops at
// its next block, its pending file removes itself, and it exits as the signal asks
// (128 + its number). A signal ignored when the program started (nohup) stays ignored;
// the handlers in place before come back afterwards.
#pragma once

#include <csignal>
#include <iterator>

namespace vornal::pack {

class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signal that came, or 0.
    int caught() const;
    bool stopRequested() const { return caught() != 0; }
    int exitStatus() const { return 128 + caught(); }

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction previous_[std::size(kSignals)];
};

}  // namespace vornal::pack
