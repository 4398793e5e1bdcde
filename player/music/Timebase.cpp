#include "player/music/Timebase.h"

#include <algorithm>
#include <utility>

namespace vornal {

TimerPlatform::TimerId TableTimebase::timeSetEvent(std::uint32_t delay, std::uint32_t,
                                                   Callback callback, bool periodic) {
    // A zero period would make a run of due calls loop for ever.
    const std::int64_t period = std::max<std::int64_t>(delay, 1) * 1000;
    timers_[++lastId_] = Entry{nowMicros() + period, period, std::move(callback), periodic};
    return lastId_;
}

void SimulatedTimebase::advanceTo(std::int64_t micros) {
    for (;;) {
        // The earliest due call; on a tie the older timer first.
        auto next = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            if (it->second.due <= micros &&
                (next == timers_.end() || it->second.due < next->second.due))
                next = it;
        }
        if (next == timers_.end()) break;
        const TimerId id = next->first;
        now_ = next->second.due;
        // Copied: the call may kill its own timer or start another.
        Callback callback = next->second.callback;
        if (next->second.periodic)
            next->second.due += next->second.period;
        else
            timers_.erase(next);
        callback(id);
    }
    now_ = std::max(now_, micros);
}

}  // namespace vornal
