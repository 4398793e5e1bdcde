// The music on real threads, run under ThreadSanitizer by scripts/test: the timer thread
// stopped and destroyed from inside its own call, and the timer thread stepping a song while
// the window thread starts, stops, mutes and switches. The web build has no threads and
// leaves these out.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "player/music/MMTimer.h"
#include "player/music/Music.h"
#include "player/music/ThreadTimebase.h"
#include "player/music/outputs/LogOutput.h"
#include "tests/music/SmfBytes.h"

namespace vornal::test {
namespace {

// The real timer thread: a handler that disables or destroys its own timer must return.
TEST(MMTimer, StoppedFromItsOwnThread) {
    ThreadTimebase time;
    for (const bool destroy : {false, true}) {
        std::mutex mutex;
        std::condition_variable done;
        int calls = 0;
        auto timer = std::make_unique<TMMTimer>(time);
        timer->SetInterval(2);
        timer->SetOnTimer([&](TMMTimer& self) {
            std::lock_guard lock(mutex);
            if (++calls == 3) {
                if (destroy)
                    timer.reset();
                else
                    self.SetEnabled(false);
                done.notify_all();
            }
        });
        std::unique_lock lock(mutex);
        ASSERT_TRUE(done.wait_for(lock, std::chrono::seconds(10), [&] { return calls >= 3; }));
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        lock.lock();
        EXPECT_EQ(calls, 3) << (destroy ? "destroyed" : "disabled");
        lock.unlock();
        timer.reset();
    }
}

// The timer thread steps a dense song while this thread starts, stops, mutes and switches.
TEST(Music, TimerThreadAndWindowThread) {
    Bytes events;
    for (int i = 0; i < 200; ++i) {
        const auto note = static_cast<Byte>(0x30 + i % 24);
        events.insert(events.end(), {0x01, 0x90, note, 0x64, 0x01, 0x80, note, 0x00});
    }
    events.insert(events.end(), {0x00, 0xFF, 0x2F, 0x00});
    const Bytes dense = Song({Header(0, 1, 24), Track(events)});
    std::atomic<int> lines{0};
    std::atomic<int> errors{0};
    auto output = std::make_unique<LogOutput>([&](std::string_view) { ++lines; });
    Music music(std::move(output), std::make_unique<ThreadTimebase>());
    music.SetErrorSink([&](std::string) { ++errors; });
    const auto fetch = [&] { return std::optional<Bytes>(dense); };
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
    for (int round = 0; std::chrono::steady_clock::now() < end; ++round) {
        music.SetLoop(round % 3 != 0);
        music.PlayBgm(round % 2 ? "a.mid" : "b.mid", fetch);
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        music.SetMuted(round % 4 == 1);
        (void)music.GetState();
        if (round % 5 == 4) {
            std::atomic<int>& count = lines;
            music.SetOutput(std::make_unique<LogOutput>([&count](std::string_view) { ++count; }));
        }
        if (round % 7 == 6) music.StopBgm();
    }
    music.StopBgm();
    EXPECT_GT(lines.load(), 0);
    EXPECT_EQ(errors.load(), 0);
}

}  // namespace
}  // namespace vornal::test
