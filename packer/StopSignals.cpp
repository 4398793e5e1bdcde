#include "packer/StopSignals.h"

#include <atomic>

namespace vornal::pack {

namespace {

// Lock-free, so the handler may store to it.
std::atomic<int> gCaught{0};
static_assert(std::atomic<int>::is_always_lock_free);

void note(int signal) {
    gCaught.store(signal, std::memory_order_relaxed);
}

}  // namespace

StopSignals::StopSignals() {
    gCaught.store(0);
    struct sigaction action {};
    action.sa_handler = note;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], nullptr, &previous_[i]);
        if (previous_[i].sa_handler != SIG_IGN) sigaction(kSignals[i], &action, nullptr);
    }
}

StopSignals::~StopSignals() {
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &previous_[i], nullptr);
}

int StopSignals::caught() const {
    return gCaught.load(std::memory_order_relaxed);
}

}  // namespace vornal::pack
