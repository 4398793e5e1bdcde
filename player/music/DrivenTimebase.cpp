#include "player/music/DrivenTimebase.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

namespace vornal {

DrivenTimebase::DrivenTimebase(Clock clock) : clock_(std::move(clock)) {
    if (!clock_) {
        clock_ = [] {
            return std::chrono::duration_cast<std::chrono::microseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
    }
    origin_ = clock_();
}

std::int64_t DrivenTimebase::nowMicros() const {
    return clock_() - origin_;
}

std::optional<std::int64_t> DrivenTimebase::runDue() {
    const std::int64_t now = nowMicros();
    // The calls may kill timers (their own too) and start others; those started now
    // are not due yet.
    std::vector<TimerId> due;
    for (const auto& [id, entry] : timers_) {
        if (entry.due <= now) due.push_back(id);
    }
    for (const TimerId id : due) {
        const auto it = timers_.find(id);
        if (it == timers_.end()) continue;
        Entry& entry = it->second;
        Callback callback = entry.callback;  // copied: the call may kill its own timer
        if (entry.periodic) {
            entry.due += entry.period;
            if (entry.due <= now)
                entry.due += ((now - entry.due) / entry.period + 1) * entry.period;
        } else {
            timers_.erase(it);
        }
        callback(id);
    }
    std::optional<std::int64_t> next;
    for (const auto& [id, entry] : timers_)
        next = std::min(next.value_or(entry.due), entry.due);
    return next;
}

}  // namespace vornal
