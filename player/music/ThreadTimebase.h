// The real music time: the steady clock, and timers that run on threads of our own. Each
// running timer has one thread that sleeps until absolute deadlines (the start plus whole
// multiples of the interval), so lateness never adds up; a call that comes so late that
// later deadlines have passed skips them instead of calling in a burst.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "player/music/Timebase.h"

namespace vornal {

// Asks that the calling thread be woken ahead of ordinary ones (a real-time priority, as
// FluidSynth's audio drivers ask too) where the user may; returns whether it was granted. On
// a busy machine an ordinary thread may wait tens of milliseconds for a core, and notes would
// come late: the music's timer and audio threads ask it.
bool PreferPromptWakeUps();

class ThreadTimebase final : public Timebase {
public:
    using Clock = std::chrono::steady_clock;

    // The clock reads 0 now.
    ThreadTimebase();
    ~ThreadTimebase() override;
    ThreadTimebase(const ThreadTimebase&) = delete;
    ThreadTimebase& operator=(const ThreadTimebase&) = delete;

    std::int64_t nowMicros() const override;
    TimerId timeSetEvent(std::uint32_t delay, std::uint32_t resolution, Callback callback,
                         bool periodic) override;
    void timeKillEvent(TimerId id) override;
    void drain() override;

private:
    struct Worker;
    static void run(std::shared_ptr<Worker> worker);
    void reapFinished();  // with mutex_ held

    const Clock::time_point origin_;
    std::mutex mutex_;
    TimerId lastId_ = 0;
    std::unordered_map<TimerId, std::shared_ptr<Worker>> running_;
    std::vector<std::shared_ptr<Worker>> killed_;  // not joined yet
};

}  // namespace vornal
