// The timer component: its property rules through a platform that counts (the real timer
// thread: ThreadsTest.cpp).
#include <gtest/gtest.h>

#include <map>

#include "player/music/MMTimer.h"

namespace vornal::test {
namespace {

// A simulated platform that writes down every call; device periods 2 to 500.
class CountingPlatform final : public TimerPlatform {
public:
    SimulatedTimebase time;
    std::vector<std::string> calls;
    std::map<std::uint32_t, int> periods;  // begun minus ended, per value
    bool refuse = false;

    DevCaps timeGetDevCaps() const override { return {2, 500}; }
    void timeBeginPeriod(std::uint32_t p) override {
        ++periods[p];
        calls.push_back("begin " + std::to_string(p));
    }
    void timeEndPeriod(std::uint32_t p) override {
        --periods[p];
        calls.push_back("end " + std::to_string(p));
    }
    TimerId timeSetEvent(std::uint32_t delay, std::uint32_t resolution, Callback callback,
                         bool periodic) override {
        calls.push_back("set " + std::to_string(delay) + (periodic ? " periodic" : " once"));
        if (refuse) return 0;
        return time.timeSetEvent(delay, resolution, std::move(callback), periodic);
    }
    void timeKillEvent(TimerId id) override {
        calls.push_back("kill");
        time.timeKillEvent(id);
    }
    void drain() override {}

    std::vector<std::string> take() { return std::exchange(calls, {}); }
    bool balanced() const {
        for (const auto& [period, count] : periods) {
            if (count != 0) return false;
        }
        return true;
    }
};

TEST(MMTimer, PropertyRules) {
    CountingPlatform platform;
    int fired = 0;
    {
        TMMTimer timer(platform);
        EXPECT_EQ(timer.Resolution(), 2u);
        EXPECT_EQ(timer.MinResolution(), 2u);
        EXPECT_EQ(timer.Interval(), 500u);
        EXPECT_EQ(timer.MaxResolution(), 500u);
        EXPECT_TRUE(platform.take().empty());  // no handler: nothing runs

        const TMMTimer::TNotifyEvent handler = [&](TMMTimer&) { ++fired; };
        timer.SetOnTimer(handler);
        EXPECT_EQ(platform.take(), (std::vector<std::string>{"begin 2", "set 500 periodic"}));
        timer.SetInterval(10);
        EXPECT_EQ(platform.take(),
                  (std::vector<std::string>{"kill", "end 2", "begin 2", "set 10 periodic"}));
        timer.SetInterval(10);   // the same value: no restart
        timer.SetInterval(1);    // below Resolution: refused
        timer.SetResolution(1);  // below MinResolution: refused
        EXPECT_TRUE(platform.take().empty());
        EXPECT_EQ(timer.Interval(), 10u);
        timer.SetResolution(5);
        timer.SetInterval(3);  // below the new Resolution
        EXPECT_EQ(timer.Interval(), 10u);
        timer.SetOnTimer(handler);  // the same handler again restarts
        EXPECT_EQ(platform.take(),
                  (std::vector<std::string>{"kill", "end 2", "begin 5", "set 10 periodic", "kill",
                                            "end 5", "begin 5", "set 10 periodic"}));
        platform.time.advanceTo(35'000);
        EXPECT_EQ(fired, 3);
        timer.SetEnabled(false);
        timer.SetEnabled(true);
        timer.SetEventKind(TTimerEventKind::ekOneShot);
        platform.take();
        // A change restarts the interval from that moment: due at 45, not 40.
        platform.time.advanceTo(44'000);
        EXPECT_EQ(fired, 3);
        platform.time.advanceTo(100'000);
        EXPECT_EQ(fired, 4);  // once, then it disables itself
        EXPECT_FALSE(timer.Enabled());
        EXPECT_FALSE(timer.Running());
        EXPECT_EQ(platform.take(), (std::vector<std::string>{"kill", "end 5"}));
        timer.SetEnabled(true);
    }
    // Destroyed while running: every period begun has been ended, value for value.
    EXPECT_TRUE(platform.balanced());
}

TEST(MMTimer, RefusedTimerWithdrawsItsPeriod) {
    CountingPlatform platform;
    TMMTimer timer(platform);
    platform.refuse = true;
    EXPECT_THROW(timer.SetOnTimer([](TMMTimer&) {}), EOutOfResources);
    EXPECT_FALSE(timer.Running());
    EXPECT_TRUE(platform.balanced());
}

}  // namespace
}  // namespace vornal::test
