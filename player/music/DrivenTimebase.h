// Real music time without a thread of its own: the timers' calls are made when the owner
// asks (runDue), on the owner's thread. Where there are no threads (WebAssembly) the event
// loop calls runDue() whenever it wakes and sleeps at most until the time it returns.
// Like ThreadTimebase, a periodic timer keeps to its start plus whole intervals, and a call
// that comes so late that later beats have passed skips them instead of calling in a burst.
#pragma once

#include <functional>
#include <optional>

#include "player/music/Timebase.h"

namespace vornal {

class DrivenTimebase : public TableTimebase {
public:
    // Microseconds on a clock that never goes back.
    using Clock = std::function<std::int64_t()>;

    // The steady clock by default; this timebase reads 0 now.
    explicit DrivenTimebase(Clock clock = {});

    std::int64_t nowMicros() const override;

    // Makes each call that is due now, each timer once; returns when (nowMicros()) the next
    // call is due, nullopt when no timer runs.
    std::optional<std::int64_t> runDue();

private:
    Clock clock_;
    std::int64_t origin_ = 0;
};

}  // namespace vornal
