// The music state around the sequencer and its timer: PlayBgm, StopBgm, the end of a song
// that plays once, errors on the timer thread, switching and muting outputs (the two threads
// at once: ThreadsTest.cpp).
#include <gtest/gtest.h>

#include <vector>

#include "player/music/Music.h"
#include "player/music/outputs/LogOutput.h"
#include "tests/music/SmfBytes.h"

namespace vornal::test {
namespace {

// One note of 480 ticks (0.5 s at 120 beats per minute), then End of Track.
const Bytes kShortSong =
    Song({Header(0, 1, 480),
          Track({0x00, 0x90, 0x3C, 0x64, 0x83, 0x60, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00})});
const Bytes kOtherSong =
    Song({Header(0, 1, 480), Track({0x00, 0x91, 0x40, 0x64, 0x00, 0xFF, 0x2F, 0x00})});

class ThrowingOutput final : public MidiOutput {
public:
    void open(std::int64_t) override { throw MidiOutputError("the port went away"); }
    void shortMessage(std::uint32_t, SendTime) override {}
    void longMessage(std::span<const Byte>, SendTime) override {}
    void reset(std::int64_t) override {}
    void close(std::int64_t) override {}
};

struct Rig {
    std::vector<std::string> log;
    SimulatedTimebase* time = nullptr;
    std::unique_ptr<Music> music;
    std::vector<std::string> errors;

    Rig() {
        auto timebase = std::make_unique<SimulatedTimebase>();
        time = timebase.get();
        music = std::make_unique<Music>(logTo(log), std::move(timebase));
        music->SetErrorSink([this](std::string text) { errors.push_back(std::move(text)); });
    }
    static std::unique_ptr<MidiOutput> logTo(std::vector<std::string>& lines) {
        return std::make_unique<LogOutput>([&lines](std::string_view l) { lines.emplace_back(l); });
    }
    std::vector<std::string> play(std::string_view name, const Bytes& song) {
        return music->PlayBgm(name, [&] { return std::optional<Bytes>(song); });
    }
    void advanceTo(std::int64_t ms) { time->advanceTo(ms * 1000); }
};

TEST(Music, SongThatPlaysOnceStopsItselfAtItsEnd) {
    Rig rig;
    rig.music->SetLoop(false);
    EXPECT_TRUE(rig.play("a.mid", kShortSong).empty());
    rig.advanceTo(2000);
    EXPECT_EQ(rig.log,
              (std::vector<std::string>{"10.000 open", "20.000 90 3C 64", "520.000 90 3C 00",
                                        "520.000 reset", "520.000 close"}));
    const Music::State state = rig.music->GetState();
    EXPECT_FALSE(state.loaded);
    EXPECT_FALSE(state.loop);
    EXPECT_EQ(state.file, "");
    EXPECT_FALSE(rig.time->timerRunning());  // an idle player is not woken
}

TEST(Music, RepeatingSongStartsAgainOnTheNextStep) {
    Rig rig;
    rig.play("a.mid", kShortSong);
    rig.advanceTo(540);
    EXPECT_EQ(std::vector<std::string>(rig.log.end() - 3, rig.log.end()),
              (std::vector<std::string>{"520.000 close", "530.000 open", "540.000 90 3C 64"}));
    // *BGM a.mid 0 while it repeats: it stops at its end instead.
    rig.music->SetLoop(false);
    EXPECT_TRUE(rig.play("a.mid", kShortSong).empty());
    rig.advanceTo(5000);
    EXPECT_EQ(rig.log.back(), "1040.000 close");
    EXPECT_FALSE(rig.music->GetState().loaded);
}

TEST(Music, AnotherSongStopsTheFirst) {
    Rig rig;
    rig.play("a.mid", kShortSong);
    rig.advanceTo(100);
    rig.play("b.mid", kOtherSong);
    rig.advanceTo(120);
    EXPECT_EQ(rig.log, (std::vector<std::string>{
                           "10.000 open", "20.000 90 3C 64", "100.000 reset", "100.000 close",
                           "110.000 open", "120.000 91 40 64", "120.000 reset", "120.000 close"}));
    EXPECT_EQ(rig.music->GetState().file, "b.mid");
}

TEST(Music, FetchFailureAndBadSong) {
    Rig rig;
    // The file could not be got: the timer stays off, the name is kept.
    EXPECT_TRUE(rig.music->PlayBgm("gone.mid", [] { return std::optional<Bytes>(); }).empty());
    EXPECT_EQ(rig.music->GetState().file, "gone.mid");
    EXPECT_FALSE(rig.music->GetState().loaded);
    // A file that is no song: its error is returned; *BGM counts it as loaded, silent.
    EXPECT_EQ(rig.play("bad.mid", Bytes{'x'}).size(), 1u);
    EXPECT_TRUE(rig.music->GetState().loaded);
    EXPECT_FALSE(rig.music->SongLoaded());
    rig.advanceTo(100);
    EXPECT_TRUE(rig.log.empty());
}

TEST(Music, DeviceErrorOnTheTimerThreadIsHandedOverOnce) {
    auto timebase = std::make_unique<SimulatedTimebase>();
    SimulatedTimebase& time = *timebase;
    Music music(std::make_unique<ThrowingOutput>(), std::move(timebase));
    std::vector<std::string> errors;
    music.SetErrorSink([&](std::string text) { errors.push_back(std::move(text)); });
    music.SetLoop(false);
    music.PlayBgm("a.mid", [] { return std::optional<Bytes>(kShortSong); });
    time.advanceTo(1'000'000);
    EXPECT_EQ(errors, (std::vector<std::string>{"the port went away"}));
    EXPECT_FALSE(music.GetState().loaded);  // played once: stopped at once
}

// The timer runs only while the sequencer has a song to step.
TEST(Music, NothingToStepLeavesTheTimerOff) {
    struct Case {
        const char* what;
        std::function<void(Rig&)> play;
        bool named;  // *BGM still counts the song as loaded
    };
    const Case cases[] = {
        {"a repeating song that is no song", [](Rig& rig) { rig.play("bad.mid", Bytes{'x'}); },
         true},
        {"no song after a good one",
         [](Rig& rig) {
             rig.play("a.mid", kShortSong);
             rig.advanceTo(100);
             rig.play("bad.mid", Bytes{'x'});
         },
         true},
        {"a repeating song whose device would not open",
         [](Rig& rig) {
             rig.music->SetOutput(std::make_unique<ThrowingOutput>());
             rig.play("a.mid", kShortSong);
             rig.advanceTo(100);
         },
         true},
        {"a song that played once",
         [](Rig& rig) {
             rig.music->SetLoop(false);
             rig.play("a.mid", kShortSong);
             rig.advanceTo(2000);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        c.play(rig);
        rig.advanceTo(3000);
        EXPECT_FALSE(rig.time->timerRunning());
        EXPECT_EQ(rig.music->GetState().loaded, c.named);
        // The next *BGM of a song starts the timer again.
        rig.music->SetOutput(Rig::logTo(rig.log));
        rig.play("b.mid", kOtherSong);
        EXPECT_TRUE(rig.time->timerRunning());
    }
}

// An output that breaks off (a file on a full disk) says so once and goes on silently;
// finishing it stops the song first and passes its failure on.
TEST(Music, OutputThatBreaksOffIsHeardOfOnceAndFinishedLast) {
    struct BreakingOutput final : MidiOutput {
        std::vector<std::string>& log;
        std::string failure = "cannot write song.wav: No space left on device";
        explicit BreakingOutput(std::vector<std::string>& l) : log(l) {}
        void open(std::int64_t) override { log.push_back("open"); }
        void shortMessage(std::uint32_t, SendTime) override {}
        void longMessage(std::span<const Byte>, SendTime) override {}
        void reset(std::int64_t) override { log.push_back("reset"); }
        void close(std::int64_t) override { log.push_back("close"); }
        std::string takeFailure() override { return std::exchange(failure, {}); }
        void finish() override {
            log.push_back("finish");
            throw MidiOutputError("cannot complete song.wav");
        }
    };
    std::vector<std::string> log;
    Rig rig;
    rig.music->SetOutput(std::make_unique<BreakingOutput>(log));
    rig.play("a.mid", kShortSong);
    rig.advanceTo(3000);
    EXPECT_EQ(rig.errors,
              (std::vector<std::string>{"cannot write song.wav: No space left on device"}));
    EXPECT_TRUE(rig.time->timerRunning());  // the song plays on, unheard
    EXPECT_THROW(rig.music->Finish(), MidiOutputError);
    EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()),
              (std::vector<std::string>{"reset", "close", "finish"}));
    EXPECT_FALSE(rig.music->GetState().loaded);
    EXPECT_FALSE(rig.time->timerRunning());
}

TEST(Music, OutputSwitchAndMute) {
    std::vector<std::string> second;  // outlives the music that logs into it
    Rig rig;
    rig.play("a.mid", Song({Header(0, 1, 480),
                            Track({0x00, 0xC0, 0x05, 0x00, 0x90, 0x3C, 0x64, 0x83, 0x60, 0x3C,
                                   0x00, 0x83, 0x60, 0x90, 0x3E, 0x64, 0x00, 0xFF, 0x2F, 0x00})}));
    rig.advanceTo(30);
    rig.music->SetMuted(true);
    rig.advanceTo(1040);
    // Muted: the device is reset once, then everything but sounding note-ons goes through.
    EXPECT_EQ(std::vector<std::string>(rig.log.begin() + 3, rig.log.end()),
              (std::vector<std::string>{"30.000 reset", "520.000 90 3C 00", "1020.000 reset",
                                        "1020.000 close", "1030.000 open", "1040.000 C0 05 00"}));
    rig.music->SetMuted(false);
    rig.music->SetOutput(Rig::logTo(second));
    rig.advanceTo(1060);
    EXPECT_EQ(rig.log.back(), "1040.000 close");
    EXPECT_EQ(second, (std::vector<std::string>{"1050.000 open", "1060.000 C0 05 00",
                                                "1060.000 90 3C 64"}));
}

// Keeps the levels it is given.
class GainOutput final : public MidiOutput {
public:
    explicit GainOutput(std::vector<double>& gains) : gains_(gains) {}
    void open(std::int64_t) override {}
    void shortMessage(std::uint32_t, SendTime) override {}
    void longMessage(std::span<const Byte>, SendTime) override {}
    void reset(std::int64_t) override {}
    void close(std::int64_t) override {}
    void setGain(double gain) override { gains_.push_back(gain); }

private:
    std::vector<double>& gains_;
};

TEST(Music, LevelFollowsTheOutputAndLeavesTheLogAsItWas) {
    std::vector<double> first;
    std::vector<double> second;
    Rig rig;
    rig.play("a.mid", kShortSong);
    rig.advanceTo(20);
    const std::vector<std::string> logged = rig.log;
    rig.music->SetGain(0.25);
    EXPECT_EQ(rig.log, logged);  // a log has no level
    rig.music->SetOutput(std::make_unique<GainOutput>(first));
    rig.music->SetGain(0.5);
    // A new output plays at the level set before it came.
    rig.music->SetOutput(std::make_unique<GainOutput>(second));
    EXPECT_EQ(first, (std::vector<double>{0.25, 0.5}));
    EXPECT_EQ(second, (std::vector<double>{0.5}));
}

}  // namespace
}  // namespace vornal::test
