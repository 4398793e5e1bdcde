// Real music time without a thread of its own: the timers' calls are made when the owner
// asks (runDue), on the owner's thread. Where there are no threads (WebAssembly) the event
// loop calls runDue() whenever it wakes and sleeps at most until the time it returns.
// Like ThreadTimebase, a periodic timer keeps to its start plus whole intervals, and a call
// that comes so late that later beats have passed skips them instead of calling in a burst.
#pragma once

#include <functional>
#include <map>
#include <optional>

#include "player/music/Timebase.h"

namespace vornal {

class DrivenTimebase : public Timebase {
public:
    // Microseconds on a clock that never goes back.
    using Clock = std::function<std::int64_t()>;

    // The steady clock by default; this timebase reads 0 now.
    explicit DrivenTimebase(Clock clock = {});

    std::int64_t nowMicros() const override;
    TimerId timeSetEvent(std::uint32_t delay, std::uint32_t resolution, Callback callback,
                         bool periodic) override;
    void timeKillEvent(TimerId id) override { timers_.erase(id); }
    void drain() override {}

    // Makes each call that is due now, each timer once; returns when (nowMicros()) the next
    // call is due, nullopt when no timer runs.
    std::optional<std::int64_t> runDue();

private:
    struct Entry {
        std::int64_t due = 0;
        std::int64_t interval = 0;
        Callback callback;
        bool periodic = false;
    };
    Clock clock_;
    std::int64_t origin_ = 0;
    TimerId lastId_ = 0;
    std::map<TimerId, Entry> timers_;
};

}  // namespace vornal
