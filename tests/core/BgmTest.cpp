// *BGM through the engine with a real Music on a simulated clock: an output error raised on
// the timer's side reaches the player as a "MIDI PLAY ERROR" box without a pass, and opening
// another game stops the song.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "player/core/Engine.h"
#include "player/music/Music.h"
#include "player/music/outputs/LogOutput.h"
#include "tests/core/StubHost.h"

namespace vornal::test {
namespace {

namespace fs = std::filesystem;

// Format 0, division 96: a note at tick 0, End of Track at tick 96 (0.5 s).
const std::string kSong(
    "MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0\0\x0B\0\x90\x3C\x64\x60\x3C\0\0\xFF\x2F\0", 33);

class FailingOutput final : public MidiOutput {
public:
    void open(std::int64_t) override { throw MidiOutputError("the MIDI port is gone"); }
    void shortMessage(std::uint32_t, SendTime) override {}
    void longMessage(std::span<const Byte>, SendTime) override {}
    void reset(std::int64_t) override {}
    void close(std::int64_t) override {}
};

class Bgm : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vornal_bgm_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        std::ofstream(dir_ / "song.mid", std::ios::binary) << kSong;
    }
    void TearDown() override { fs::remove_all(dir_); }

    Music& music(std::unique_ptr<MidiOutput> output) {
        auto timebase = std::make_unique<SimulatedTimebase>();
        time_ = timebase.get();
        music_ = std::make_unique<Music>(std::move(output), std::move(timebase));
        return *music_;
    }

    fs::path dir_;
    SimulatedTimebase* time_ = nullptr;
    std::unique_ptr<Music> music_;
};

TEST_F(Bgm, TimerSideErrorReachesThePlayerWithoutAPass) {
    StubHost host;
    Engine engine(host, MediaServices{.music = &music(std::make_unique<FailingOutput>())});
    ASSERT_TRUE(engine.OpenScriptText("*SCENE s\n*BGM song\n>x\n*SCENEEND\n", dir_ / "game.vns"));
    host.runIdle(engine);
    ASSERT_FALSE(engine.HasWork());
    host.calls.clear();
    time_->advanceTo(10'000);  // the start step cannot open the output
    EXPECT_TRUE(engine.HasWork());
    engine.AppIdle();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"midi:the MIDI port is gone"}));
    EXPECT_FALSE(engine.HasWork());
}

TEST_F(Bgm, OpeningAnotherGameStopsTheSong) {
    StubHost host;
    std::vector<std::string> log;
    Engine engine(host,
                  MediaServices{.music = &music(std::make_unique<LogOutput>(
                                    [&](std::string_view line) { log.emplace_back(line); }))});
    ASSERT_TRUE(engine.OpenScriptText("*SCENE s\n*BGM song\n>x\n*SCENEEND\n", dir_ / "game.vns"));
    host.runIdle(engine);
    time_->advanceTo(100'000);
    ASSERT_TRUE(engine.OpenScriptText("*SCENE t\nNext.\n*SCENEEND\n", dir_ / "next.vns"));
    EXPECT_EQ(log, (std::vector<std::string>{"10.000 open", "20.000 90 3C 64", "100.000 reset",
                                             "100.000 close"}));
    EXPECT_FALSE(music_->GetState().loaded);
}

// Save files hold an empty picture: this test is about the music they keep.
class NoPictures final : public PictureCodec {
public:
    Bitmap decode(std::span<const Byte>, PictureFormat) const override {
        throw PictureError("no pictures here");
    }
    std::vector<Byte> encodeBmp(const Bitmap&) const override { return {}; }
};

TEST_F(Bgm, ASavedRepeatingSongStartsAgainOnLoad) {
    std::ofstream(dir_ / "other.mid", std::ios::binary) << kSong;
    StubHost host;
    NoPictures pictures;
    std::vector<std::string> log;
    Engine engine(host,
                  MediaServices{&pictures, nullptr,
                                &music(std::make_unique<LogOutput>(
                                    [&](std::string_view line) { log.emplace_back(line); }))});
    ASSERT_TRUE(engine.OpenScriptText(
        "*SCENE s\n*BGM song\n>save\n*SAVE 1\n>other\n*BGM other 0\n>load\n*LOAD 1\n"
        "*SCENEEND\n",
        dir_ / "game.vns"));
    host.runIdle(engine);
    time_->advanceTo(300'000);
    const auto type = [&](std::string_view command) {
        engine.ProcessInput(command);
        host.runIdle(engine);
    };
    type("save");
    type("other");
    time_->advanceTo(400'000);
    ASSERT_EQ(music_->GetState().file, "other.mid");
    log.clear();
    type("load");
    const Music::State state = music_->GetState();
    EXPECT_TRUE(state.loaded);
    EXPECT_TRUE(state.loop);
    EXPECT_EQ(state.file, "song.mid");
    time_->advanceTo(500'000);
    // The other song is stopped, the saved one starts from its beginning.
    EXPECT_EQ(log, (std::vector<std::string>{"400.000 reset", "400.000 close", "410.000 open",
                                             "420.000 90 3C 64"}));
}

}  // namespace
}  // namespace vornal::test
