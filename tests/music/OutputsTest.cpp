// The outputs with devices: the registry's names and fallbacks, the synthesizer without an
// audio device and through a PulseAudio server of the test's own, messages that come late,
// and a WAV rendering checked against the due times of its notes.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "player/music/MidiFactory.h"
#include "player/music/outputs/OutputRegistry.h"
#include "player/music/outputs/SynthOutput.h"
#include "player/music/outputs/WavOutput.h"
#include "tests/music/PulseServer.h"
#include "tests/music/SmfBytes.h"
#include "tests/music/WavSamples.h"

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

// A synthesizer that nothing renders any more keeps a bounded queue.
TEST(MusicOutputs, SynthCoreQueueIsBounded) {
    if (!HaveSoundFont()) GTEST_SKIP() << "no SoundFont at " << kDefaultSoundFont;
    SynthCore core(kDefaultSoundFont);
    for (int i = 0; i < 70'000; ++i)
        core.scheduleShort(10, 0x003C80);
    std::vector<float> left(64);
    std::vector<float> right(64);
    core.render(left.data(), right.data(), 64);
    EXPECT_EQ(core.accuracy().messages, 1 << 16);
}

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(MusicOutputs, SynthWithoutAudioDeviceSaysSo) {
    if (!HaveSoundFont()) GTEST_SKIP() << "no SoundFont at " << kDefaultSoundFont;
    // No PulseAudio server answers here, and none is started.
    ScopedEnv noServer("PULSE_SERVER", "unix:/nonexistent/pulse/native");
    struct Case {
        std::vector<std::string> drivers;
        const char* message;
    };
    const Case cases[] = {
        {{"no-such-driver"}, "no audio device for the synthesizer (tried no-such-driver)"},
        {{"pulseaudio"}, "no audio device for the synthesizer (tried pulseaudio)"},
    };
    for (const Case& c : cases) {
        try {
            SynthOutput synth(kDefaultSoundFont, c.drivers);
            FAIL() << c.message << ": the driver cannot start";
        } catch (const MidiOutputError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
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
    // must sound 25 ms after its due time: 30 ms of music after the open, 1323 frames.
    synth.open(10'000);
    synth.shortMessage(0x7F2599, SendTime{20'000, 15'000.0});
    synth.core().render(left.data() + 1000, right.data() + 1000, kFrames - 1000);

    SynthCore reference(kDefaultSoundFont);
    std::vector<float> refLeft(kFrames);
    std::vector<float> refRight(kFrames);
    reference.scheduleShort(1000 + 1323, 0x7F2599);
    reference.render(refLeft.data(), refRight.data(), kFrames);
    ASSERT_GT(Onset(refLeft), 2000);
    EXPECT_EQ(Onset(left), Onset(refLeft));
}

// FluidSynth takes a message at an edge of its 64-frame blocks: on time, the edge nearest to
// its stamp; late (its frame already rendered), the next edge after what was rendered.
TEST(MusicOutputs, SynthCoreAppliesLateMessagesAtTheNextEdgeAndCountsThem) {
    if (!HaveSoundFont()) GTEST_SKIP() << "no SoundFont at " << kDefaultSoundFont;
    struct Case {
        const char* what;
        std::int64_t stamp;
        int renderedBefore;  // frames rendered before the message is scheduled
        std::int64_t applied;
        std::int64_t late;
    };
    const Case cases[] = {
        {"on time, the edge after", 1000, 0, 1024, 0},
        {"on time, the edge before, part of the block rendered", 1050, 1000, 1024, 0},
        {"late by a few frames", 1000, 1030, 1088, 1},
        {"late by much", 200, 3000, 3008, 1},
    };
    constexpr int kFrames = 8192;
    for (const Case& c : cases) {
        SynthCore core(kDefaultSoundFont);
        std::vector<float> left(kFrames);
        std::vector<float> right(kFrames);
        core.render(left.data(), right.data(), c.renderedBefore);
        core.scheduleShort(c.stamp, 0x7F2599);
        core.render(left.data() + c.renderedBefore, right.data() + c.renderedBefore,
                    kFrames - c.renderedBefore);

        SynthCore reference(kDefaultSoundFont);
        std::vector<float> refLeft(kFrames);
        std::vector<float> refRight(kFrames);
        reference.scheduleShort(c.applied, 0x7F2599);
        reference.render(refLeft.data(), refRight.data(), kFrames);
        ASSERT_GE(Onset(refLeft), c.applied) << c.what;
        EXPECT_EQ(Onset(left), Onset(refLeft)) << c.what;

        const SynthCore::Accuracy accuracy = core.accuracy();
        EXPECT_EQ(accuracy.messages, 1) << c.what;
        EXPECT_EQ(accuracy.lateMessages, c.late) << c.what;
        EXPECT_EQ(accuracy.worstErrorFrames, std::abs(c.applied - c.stamp)) << c.what;
    }
}

// Waits for `done` for at most a minute, however busy the machine.
template <typename Done>
bool WaitFor(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

TEST(MusicOutputs, SynthPlaysThroughAPulseAudioServer) {
    if (!HaveSoundFont()) GTEST_SKIP() << "no SoundFont at " << kDefaultSoundFont;
    if (!OnPath("pulseaudio")) GTEST_SKIP() << "pulseaudio is not installed (scripts/bootstrap)";
    PulseServer server;
    SynthOutput synth(kDefaultSoundFont, {"pulseaudio"});
    EXPECT_EQ(synth.driver(), "pulseaudio");
    synth.open(10'000);
    const auto rendered = [&](double seconds) {
        return [&synth, seconds] {
            return static_cast<double>(synth.core().renderedFrames()) >=
                   seconds * SynthCore::kSampleRate;
        };
    };
    // The server asks for sound as it plays it.
    ASSERT_TRUE(WaitFor(rendered(1.0))) << "the server did not play";
    // Due well after the step that sends it, so that no pause of this thread makes it late.
    synth.shortMessage(0x7F2599, SendTime{20'000, 520'000.0});
    ASSERT_TRUE(WaitFor([&] { return synth.core().accuracy().messages == 1; }))
        << "the message was never rendered";
    const SynthCore::Accuracy accuracy = synth.core().accuracy();
    EXPECT_EQ(accuracy.lateMessages, 0);
    EXPECT_LE(accuracy.worstErrorFrames, 32);
    EXPECT_TRUE(synth.soundLatencyMicros(20'000).has_value());
}

// The left channel of a WAV file written by WavOutput.
std::vector<float> LeftChannel(const fs::path& file) {
    const std::vector<std::int16_t> samples = WavSamples(file);
    std::vector<float> left;
    for (std::size_t i = 0; i < samples.size(); i += 2)
        left.push_back(static_cast<float>(samples[i]) / 32768.0f);
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
