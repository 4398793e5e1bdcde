// MMTimer: TMMTimer, a component that calls its handler at a fixed interval with
// millisecond precision, on the timer's own thread. Every effective property write rebuilds
// the timer, so the interval starts again from that moment.
//
// Threads: properties may be written from any thread, the handler's included (a one-shot
// timer disables itself after its call). Disabling or destroying the timer never waits for
// a call in progress on another thread except in the destructor, which must therefore not
// run while holding a lock the handler takes. A handler that shares a lock with the
// writers asks CallIsCurrent() under that lock to drop a call that began before the timer
// was disabled or rebuilt.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>

#include "player/music/Timebase.h"

namespace vornal {

enum class TTimerEventKind : std::uint8_t { ekOneShot = 0, ekPeriodic = 1 };

// No more timers can be made (the platform refused one).
class EOutOfResources : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TMMTimer {
public:
    using TNotifyEvent = std::function<void(TMMTimer& sender)>;

    // Enabled, periodic, no handler; Resolution the platform's smallest period, Interval
    // its largest.
    explicit TMMTimer(TimerPlatform& platform);
    ~TMMTimer();
    TMMTimer(const TMMTimer&) = delete;
    TMMTimer& operator=(const TMMTimer&) = delete;

    bool Enabled() const;
    void SetEnabled(bool value);
    TTimerEventKind EventKind() const;
    void SetEventKind(TTimerEventKind value);
    std::uint32_t Interval() const;
    // Ignored unless it differs and is at least Resolution.
    void SetInterval(std::uint32_t value);
    std::uint32_t Resolution() const;
    // Ignored unless it differs and is at least MinResolution.
    void SetResolution(std::uint32_t value);
    std::uint32_t MinResolution() const;
    std::uint32_t MaxResolution() const;
    // Always stored, and the timer rebuilt, even for the same handler.
    void SetOnTimer(TNotifyEvent handler);
    bool Running() const;

    // Inside the handler: this call belongs to the timer as it is now.
    bool CallIsCurrent() const;

private:
    struct Shared;
    static void Update(Shared& s);
    static void Fire(const std::shared_ptr<Shared>& s, TimerPlatform::TimerId id);
    std::shared_ptr<Shared> shared_;
};

}  // namespace vornal
