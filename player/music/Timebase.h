// The music's clock and the platform under its timer, injected so that the sequencer and
// the timer can be driven step by step: a real one (ThreadTimebase.h: the steady clock and
// a timer thread of our own) and a simulated one (below) whose time moves only when told.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace vornal {

class MusicClock {
public:
    virtual ~MusicClock() = default;
    // Microseconds since the clock's origin; never goes back.
    virtual std::int64_t nowMicros() const = 0;
};

// What the timer component asks of the platform. On Linux the period requests change
// nothing (hence the defaults); they are kept so that tests can count them.
class TimerPlatform {
public:
    using TimerId = std::uint64_t;  // 0: no timer; never reused
    using Callback = std::function<void(TimerId)>;
    struct DevCaps {
        std::uint32_t periodMin = 1;
        std::uint32_t periodMax = 1'000'000;
    };

    virtual ~TimerPlatform() = default;
    virtual DevCaps timeGetDevCaps() const { return {}; }
    virtual void timeBeginPeriod(std::uint32_t /*period*/) {}
    virtual void timeEndPeriod(std::uint32_t /*period*/) {}
    // Calls `callback` after `delay` ms, and every `delay` ms after that when periodic.
    // Returns 0 when no timer can be made.
    virtual TimerId timeSetEvent(std::uint32_t delay, std::uint32_t resolution, Callback callback,
                                 bool periodic) = 0;
    // No call of the timer begins after this returns; one already begun may still be
    // running on the timer's thread. Never waits, so it may be called from a callback and
    // while holding a lock that callbacks take.
    virtual void timeKillEvent(TimerId id) = 0;
    // Waits until the calls of killed timers have returned (those on the calling thread
    // excepted). The caller must hold no lock that a callback takes.
    virtual void drain() = 0;
};

class Timebase : public MusicClock, public TimerPlatform {};

// The real music time of this platform: ThreadTimebase where there are threads, a
// DrivenTimebase that the event loop runs on the web (player/web/WebTimers.h).
std::unique_ptr<Timebase> MakeRealTimebase();

// Timers kept in a table and called on the owner's thread when it runs them: the
// simulated time below and the driven time of the web (DrivenTimebase.h).
class TableTimebase : public Timebase {
public:
    // The first call is due `delay` ms (at least 1) from now.
    TimerId timeSetEvent(std::uint32_t delay, std::uint32_t resolution, Callback callback,
                         bool periodic) final;
    void timeKillEvent(TimerId id) final { timers_.erase(id); }
    // Calls are made on the owner's thread only: none can still be running.
    void drain() final {}
    bool timerRunning() const { return !timers_.empty(); }

protected:
    struct Entry {
        std::int64_t due = 0;
        std::int64_t period = 0;
        Callback callback;
        bool periodic = false;
    };
    std::map<TimerId, Entry> timers_;

private:
    TimerId lastId_ = 0;
};

// Time stands still until advanceTo(): then every timer call due up to that moment is made
// in time order, on the calling thread, with the clock reading the call's time. Used by the
// tests, the fuzzer and --fast. Single-threaded.
class SimulatedTimebase final : public TableTimebase {
public:
    std::int64_t nowMicros() const override { return now_; }

    void advanceTo(std::int64_t micros);
    void advanceBy(std::int64_t micros) { advanceTo(now_ + micros); }

private:
    std::int64_t now_ = 0;
};

}  // namespace vornal
