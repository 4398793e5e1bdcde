// The outputs with devices: the registry's names and fallbacks, the synthesizer without an
// audio device, and a WAV rendering checked against the due times of its notes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "player/music/MidiFactory.h"
#include "player/music/outputs/OutputRegistry.h"
#include "player/music/outputs/SynthOutput.h"
#include "player/music/outputs/WavOutput.h"
#include "tests/music/SmfBytes.h"

namespace vornal::test {
namespace {

namespace fs = std::filesystem;

bool HaveSoundFont() {
    std::error_code error;
    return fs::exists(kDefaultSoundFont, error);
}

TEST(MusicOutputs, RegistryNamesAndFallbacks) {
    try {
        MakeOutput("midi");
        FAIL() << "an unknown name must be refused";
    } catch (const UnknownOutput& error) {
        EXPECT_NE(std::string(error.what()).find("synth, synth:FILE.sf2, port:NAME, log:FILE"),
                  std::string::npos);
    }
    EXPECT_THROW(MakeOutput("log:"), UnknownOutput);
    struct Case {
        const char* name;
        const char* problem;  // a part of it; "" when the output works
    };
    const Case cases[] = {
        {"log:-", ""},
        {"log:/nonexistent/folder/music.log", "cannot write /nonexistent/folder/music.log"},
        {"synth:/nonexistent/piano.sf2", "no SoundFont at /nonexistent/piano.sf2"},
        {"port:no port is named like this", "MIDI port"},
        {"wav:/nonexistent/folder/music.wav", "cannot write"},
    };
    for (const Case& c : cases) {
        const MadeOutput made = MakeOutput(c.name);
        ASSERT_NE(made.output, nullptr) << c.name;
        if (*c.problem == 0)
            EXPECT_EQ(made.problem, "") << c.name;
        else
            EXPECT_NE(made.problem.find(c.problem), std::string::npos)
                << c.name << ": " << made.problem;
    }
    const std::vector<OutputChoice> choices = ListOutputs();
    ASSERT_GE(choices.size(), 4u);
    EXPECT_EQ(choices.front().name, "synth");
}

TEST(MusicOutputs, SynthWithoutAudioDeviceSaysSo) {
    if (!HaveSoundFont()) GTEST_SKIP() << "no SoundFont at " << kDefaultSoundFont;
    try {
        SynthOutput synth(kDefaultSoundFont, {"no-such-driver"});
        FAIL() << "an audio driver that does not exist cannot start";
    } catch (const MidiOutputError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "no audio device for the synthesizer (tried no-such-driver)");
    }
}

// The first sample louder than a whisper, from `from` on; -1 when none.
long Onset(const std::vector<float>& samples, std::size_t from = 0) {
    for (std::size_t i = from; i < samples.size(); ++i) {
        if (std::fabs(samples[i]) > 0.001f) return static_cast<long>(i);
    }
    return -1;
}

TEST(MusicOutputs, SynthPlaysEachMessageALatencyAfterItsDueTime) {
    if (!HaveSoundFont()) GTEST_SKIP() << "no SoundFont at " << kDefaultSoundFont;
    constexpr int kFrames = 8192;
    // No audio driver: the test renders, as the driver's thread would.
    SynthOutput synth(kDefaultSoundFont, {});
    std::vector<float> left(kFrames);
    std::vector<float> right(kFrames);
    synth.core().render(left.data(), right.data(), 1000);
    // Opened in the step at 10 ms; a side stick due at 15 ms is sent by the step at 20 ms. It
    // must sound 20 ms after its due time: 25 ms of music after the open, 1102.5 frames.
    synth.open(10'000);
    synth.shortMessage(0x7F2599, SendTime{20'000, 15'000.0});
    synth.core().render(left.data() + 1000, right.data() + 1000, kFrames - 1000);

    SynthCore reference(kDefaultSoundFont);
    std::vector<float> refLeft(kFrames);
    std::vector<float> refRight(kFrames);
    reference.scheduleShort(1000 + 1102, 0x7F2599);
    reference.render(refLeft.data(), refRight.data(), kFrames);
    ASSERT_GT(Onset(refLeft), 2000);
    EXPECT_EQ(Onset(left), Onset(refLeft));
}

// Reads the 16-bit stereo samples of a WAV file written by WavOutput, left channel only.
std::vector<float> LeftChannel(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    std::vector<float> left;
    if (bytes.size() < 44) return left;
    const auto le32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
        return v;
    };
    EXPECT_EQ(std::string(bytes.data(), 4), "RIFF");
    EXPECT_EQ(le32(4), bytes.size() - 8);
    EXPECT_EQ(le32(40), bytes.size() - 44);
    for (std::size_t at = 44; at + 3 < bytes.size(); at += 4) {
        const auto sample =
            static_cast<std::int16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
        left.push_back(static_cast<float>(sample) / 32768.0f);
    }
    return left;
}

TEST(MusicOutputs, WavRenderPutsNotesAtTheirDueTimes) {
    if (!HaveSoundFont()) GTEST_SKIP() << "no SoundFont at " << kDefaultSoundFont;
    const fs::path file =
        fs::temp_directory_path() / ("vornal_wav_test_" + std::to_string(::getpid()) + ".wav");
    {
        SimulatedTimebase clock;
        WavOutput wav(file, kDefaultSoundFont);
        TMidiPlay play(clock, wav);
        // Division 480 at 120 beats per minute: notes at ticks 480 and 1920, due half a tick
        // later, 510.52 and 2010.52 ms after the clock's 0 (the start step is at 10 ms);
        // both are sent in a step up to 10 ms later.
        play.LoadFromStream(
            Song({Header(0, 1, 480),
                  Track({0x83, 0x60, 0x90, 0x48, 0x7F, 0x60, 0x80, 0x48, 0x00, 0x8A, 0x40,
                         0x90, 0x48, 0x7F, 0x60, 0x80, 0x48, 0x00, 0x00, 0xFF, 0x2F, 0x00})}));
        for (int ms = 10; ms <= 2400 && (ms == 10 || play.Playing()); ms += 10) {
            clock.advanceTo(ms * 1000);
            play.Tick();
        }
    }
    const std::vector<float> left = LeftChannel(file);
    fs::remove(file);
    const double rate = SynthCore::kSampleRate;
    ASSERT_GT(left.size(), static_cast<std::size_t>(2.1 * rate));
    const auto onsetMs = [&](double fromMs) {
        return static_cast<double>(Onset(left, static_cast<std::size_t>(fromMs * rate / 1000))) *
               1000 / rate;
    };
    // Within the block edge and the attack's first samples; sent at the step, they would
    // start at 520 and 2020 ms.
    EXPECT_NEAR(onsetMs(0), 510.52, 2.0);
    EXPECT_NEAR(onsetMs(1700), 2010.52, 2.0);
}

}  // namespace
}  // namespace vornal::test
