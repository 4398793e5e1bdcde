// The timebase that an event loop drives (the web's, which has no threads): calls come when
// runDue() is asked, late beats are skipped as the timer thread skips them, calls may stop
// and start timers, and the music driven through it plays as on the simulated clock.
#include <gtest/gtest.h>

#include <optional>

#include "player/music/DrivenTimebase.h"
#include "player/music/Music.h"
#include "player/music/outputs/LogOutput.h"
#include "tests/music/SmfBytes.h"

namespace vornal::test {
namespace {

struct Clock {
    std::int64_t micros = 1'000'000;  // the origin is wherever the clock stands at the start
    DrivenTimebase::Clock reader() {
        return [this] { return micros; };
    }
};

TEST(DrivenTimebase, CallsWhenAskedAndSkipsBeatsItMissed) {
    struct Step {
        std::int64_t at;                   // ms since the timer started
        std::vector<std::int64_t> calls;   // clock readings of the calls made
        std::optional<std::int64_t> next;  // ms
    };
    const std::vector<Step> steps = {
        {0, {}, 10},    {9, {}, 10},  {10, {10}, 20},
        {25, {25}, 30}, {29, {}, 30},  // already called for the beat at 20
        {75, {75}, 80},                // the beats at 30 to 70 are skipped, not made up in a burst
        {80, {80}, 90}, {80, {}, 90},
    };
    Clock clock;
    DrivenTimebase time(clock.reader());
    const std::int64_t origin = clock.micros;
    std::vector<std::int64_t> calls;
    time.timeSetEvent(
        10, 1, [&](TimerPlatform::TimerId) { calls.push_back(time.nowMicros() / 1000); }, true);
    for (const Step& step : steps) {
        clock.micros = origin + step.at * 1000;
        calls.clear();
        const std::optional<std::int64_t> next = time.runDue();
        EXPECT_EQ(calls, step.calls) << "at " << step.at;
        ASSERT_TRUE(next.has_value());
        EXPECT_EQ(*next, *step.next * 1000) << "at " << step.at;
    }
}

TEST(DrivenTimebase, OneShotsAndCallsThatStopAndStartTimers) {
    Clock clock;
    DrivenTimebase time(clock.reader());
    std::vector<std::string> calls;
    TimerPlatform::TimerId periodic = 0;
    time.timeSetEvent(
        5, 1, [&](TimerPlatform::TimerId) { calls.push_back("once"); }, false);
    periodic = time.timeSetEvent(
        4, 1,
        [&](TimerPlatform::TimerId id) {
            calls.push_back("periodic");
            // Stops itself and starts another, which is not due in the same run.
            time.timeKillEvent(id);
            time.timeSetEvent(
                1, 1, [&](TimerPlatform::TimerId) { calls.push_back("new"); }, false);
        },
        true);
    EXPECT_NE(periodic, 0u);
    clock.micros += 6000;
    EXPECT_EQ(time.runDue(), 7000);
    EXPECT_EQ(calls, (std::vector<std::string>{"once", "periodic"}));
    clock.micros += 1000;
    EXPECT_EQ(time.runDue(), std::nullopt);
    EXPECT_EQ(calls, (std::vector<std::string>{"once", "periodic", "new"}));
}

// A song through Music, stepped every 10 ms of the driven clock, sends what the simulated
// clock's music sends.
TEST(DrivenTimebase, MusicPlaysAsOnTheSimulatedClock) {
    const Bytes song =
        Song({Header(0, 1, 96), Track({0x00, 0xC0, 0x05, 0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C,
                                       0x00, 0x30, 0x90, 0x40, 0x50, 0x00, 0xFF, 0x2F, 0x00})});
    const auto play = [&](std::unique_ptr<Timebase> timebase,
                          const std::function<void(int)>& step) {
        std::vector<std::string> log;
        Music music(
            std::make_unique<LogOutput>([&](std::string_view line) { log.emplace_back(line); }),
            std::move(timebase));
        music.SetLoop(false);
        music.PlayBgm("song.mid", [&] { return std::optional<Bytes>(song); });
        for (int ms = 1; ms <= 1500; ++ms)
            step(ms);
        return log;
    };
    auto simulated = std::make_unique<SimulatedTimebase>();
    SimulatedTimebase& simulatedTime = *simulated;
    const std::vector<std::string> expected =
        play(std::move(simulated), [&](int ms) { simulatedTime.advanceTo(ms * 1000); });
    Clock clock;
    const std::int64_t origin = clock.micros;
    auto driven = std::make_unique<DrivenTimebase>(clock.reader());
    DrivenTimebase& drivenTime = *driven;
    const std::vector<std::string> got = play(std::move(driven), [&](int ms) {
        clock.micros = origin + ms * 1000;
        drivenTime.runDue();
    });
    EXPECT_GT(expected.size(), 4u);
    EXPECT_EQ(got, expected);
}

}  // namespace
}  // namespace vornal::test
