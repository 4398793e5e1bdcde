// Sound effects: every WAV encoding SDL reads (fixtures of make_fixtures.py, 100 ms each),
// playing on SDL's dummy driver (which takes samples in real time), muting, and a player
// without an audio device.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "player/media/SdlSound.h"

namespace vornal::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kFixtures = fs::path(VORNAL_SOURCE_DIR) / "tests/media/fixtures";

std::vector<Byte> fixture(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Sound : public ::testing::Test {
protected:
    void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }
};

TEST_F(Sound, EveryEncodingHasItsLengthAndBadFilesAreRefused) {
    int good = 0;
    for (const auto& entry : fs::directory_iterator(kFixtures)) {
        if (entry.path().extension() != ".wav") continue;
        const std::vector<Byte> wav = fixture(entry.path());
        if (entry.path().filename().string().starts_with("bad_")) {
            EXPECT_THROW(WavSound{wav}, WavError) << entry.path().filename();
            continue;
        }
        ++good;
        EXPECT_EQ(WavSound(wav).length(), 100ms) << entry.path().filename();
    }
    EXPECT_EQ(good, 9);
}

// Waits until the device has taken no new frames for a while; returns how many it took.
std::uint64_t playedFrames(const SdlSound& sound) {
    std::uint64_t last = sound.framesHanded();
    for (int quiet = 0; quiet < 10;) {
        std::this_thread::sleep_for(20ms);
        const std::uint64_t now = sound.framesHanded();
        quiet = now == last ? quiet + 1 : 0;
        last = now;
    }
    return last;
}

TEST_F(Sound, PlayingMutingAndMutingAtRunTime) {
    SdlSound sound({});
    for (const char* name : {"pcm16_stereo.wav", "ima_adpcm.wav"}) {
        const auto started = sound.start(fixture(kFixtures / name));
        EXPECT_EQ(started.result, SoundOutput::Started::Result::Playing) << name;
        EXPECT_EQ(started.length, 100ms) << name;
        // Every frame, converted to the device's rate (the dummy driver takes 48 kHz).
        EXPECT_EQ(playedFrames(sound), 4800u) << name;
    }
    // Muting ends the sound that plays.
    sound.start(fixture(kFixtures / "pcm8.wav"));
    sound.setMuted(true);
    EXPECT_LT(playedFrames(sound), 4800u);
    const auto muted = sound.start(fixture(kFixtures / "pcm8.wav"));
    EXPECT_EQ(muted.result, SoundOutput::Started::Result::Silent);
    EXPECT_EQ(muted.length, 100ms);
    EXPECT_EQ(playedFrames(sound), 0u);
    const auto bad = sound.start(fixture(kFixtures / "bad_truncated.wav"));
    EXPECT_EQ(bad.result, SoundOutput::Started::Result::Undecodable);
    EXPECT_FALSE(bad.error.empty());
}

TEST_F(Sound, WithoutADeviceSoundIsOffWithOneNotice) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    std::vector<std::string> notices;
    SdlSound sound(
        {.muted = false, .notice = [&](const std::string& text) { notices.push_back(text); }});
    for (int i = 0; i < 2; ++i) {
        const auto started = sound.start(fixture(kFixtures / "pcm8.wav"));
        EXPECT_EQ(started.result, SoundOutput::Started::Result::Silent);
        EXPECT_EQ(started.length, 100ms);
    }
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("sound effects are off"), std::string::npos);
}

}  // namespace
}  // namespace vornal::test
