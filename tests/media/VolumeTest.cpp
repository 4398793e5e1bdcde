// How loud the music and the sound effects are: the songs of the demo and of the tests in a
// WAV rendering with the default settings, a song far denser than those, the music volume
// (set at the start and at run time), the sound-effect volume as SDL's disk driver receives
// it, and the volume values the command lines take.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>

#include "player/media/PlayerMedia.h"
#include "player/media/SdlSound.h"
#include "player/media/Volume.h"
#include "tests/music/SmfBytes.h"
#include "tests/music/WavSamples.h"

namespace vornal::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kSource(VORNAL_SOURCE_DIR);

std::vector<Byte> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool HaveSoundFont() {
    std::error_code error;
    return fs::exists("/usr/share/sounds/sf2/default-GM.sf2", error);
}

// A song played once into a WAV file, as `vnplayer --music SONG --once --fast
// --output wav:FILE` does; `atRunTime` is a music volume set after the player is made.
std::vector<std::int16_t> Render(const std::vector<Byte>& song, int volume,
                                 std::optional<int> atRunTime = std::nullopt) {
    const fs::path file =
        fs::temp_directory_path() / ("vornal_volume_" + std::to_string(::getpid()) + ".wav");
    {
        PlayerMedia media(
            MediaOptions{.fast = true, .output = "wav:" + file.string(), .musicVolume = volume});
        EXPECT_EQ(media.musicProblem(), "");
        if (atRunTime) media.setMusicVolume(*atRunTime);
        Music& music = media.music();
        music.SetLoop(false);
        music.PlayBgm("song.mid", [&] { return std::optional(song); });
        for (int ms = 0; ms < 120'000 && music.GetState().loaded; ms += 10)
            media.advanceMusic(10ms);
        EXPECT_FALSE(music.GetState().loaded) << "the song did not end";
        music.StopBgm();
    }
    std::vector<std::int16_t> samples = WavSamples(file);
    fs::remove(file);
    return samples;
}

bool Clips(const std::vector<std::int16_t>& samples) {
    for (const std::int16_t sample : samples) {
        if (sample >= 32767 || sample <= -32767) return true;
    }
    return false;
}

TEST(Volume, SongsPlayNearTheSoundEffectsAndNeverClip) {
    if (!HaveSoundFont()) GTEST_SKIP() << "no SoundFont";
    // The sound effects of the demo peak between -5 and -3 dBFS.
    for (const char* name : {"games/demo/theme.mid", "games/demo/ending.mid",
                             "tests/games/music/title.mid", "tests/games/music/other.mid"}) {
        const std::vector<std::int16_t> samples = Render(ReadFile(kSource / name), 100);
        ASSERT_FALSE(samples.empty()) << name;
        const double peak = PeakDbfs(samples);
        EXPECT_GE(peak, -12.0) << name;
        EXPECT_LE(peak, -1.0) << name;
        EXPECT_FALSE(Clips(samples)) << name;
    }
    // Sixteen notes at once, eight times a second: far louder than the songs above, it is
    // turned down to the limiter's ceiling instead of clipping.
    const std::vector<std::int16_t> dense = Render(DenseSong(40, 24), 100);
    EXPECT_NEAR(PeakDbfs(dense), -1.0, 0.05);
    EXPECT_FALSE(Clips(dense));
}

TEST(Volume, MusicVolumeScalesTheRenderingAndZeroIsSilent) {
    if (!HaveSoundFont()) GTEST_SKIP() << "no SoundFont";
    const std::vector<Byte> song = ReadFile(kSource / "tests/games/music/title.mid");
    const double full = PeakDbfs(Render(song, 100));
    struct Case {
        int volume;
        std::optional<int> atRunTime;
        double belowFull;  // dB
    };
    const Case cases[] = {{50, std::nullopt, 12.04}, {100, 25, 24.08}, {100, 10, 40.0}};
    for (const Case& c : cases) {
        const double peak = PeakDbfs(Render(song, c.volume, c.atRunTime));
        EXPECT_NEAR(full - peak, c.belowFull, 0.1)
            << c.volume << " then " << c.atRunTime.value_or(-1);
    }
    for (const std::int16_t sample : Render(song, 0))
        ASSERT_EQ(sample, 0);
}

// SDL's disk driver writes what the device is given into a file, in the device's format: 32-bit
// floats here, as SdlSound asks and the disk driver takes.
float SoundEffectPeak(double gain, const fs::path& file) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    {
        SdlSound sound({});
        sound.setGain(gain);
        EXPECT_EQ(sound.start(ReadFile(kSource / "tests/media/fixtures/pcm16_stereo.wav")).result,
                  SoundOutput::Started::Result::Playing);
        // Until the whole sound has been handed over, and the device took silence after it.
        std::uint64_t handed = 0;
        for (int quiet = 0; quiet < 10;) {
            std::this_thread::sleep_for(20ms);
            const std::uint64_t now = sound.framesHanded();
            quiet = now == handed && now > 0 ? quiet + 1 : 0;
            handed = now;
        }
        EXPECT_EQ(handed, 4800u);
    }
    const std::vector<Byte> bytes = ReadFile(file);
    fs::remove(file);
    float peak = 0;
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        float sample = 0;
        std::memcpy(&sample, bytes.data() + at, 4);
        peak = std::max(peak, std::fabs(sample));
    }
    return peak;
}

TEST(Volume, SoundEffectVolumeScalesWhatTheDeviceGets) {
    const fs::path file =
        fs::temp_directory_path() / ("vornal_disk_" + std::to_string(::getpid()) + ".raw");
    const float full = SoundEffectPeak(1.0, file);
    ASSERT_GT(full, 0.1f);
    EXPECT_NEAR(SoundEffectPeak(VolumeGain(50), file) / full, 0.25, 0.01);
    EXPECT_EQ(SoundEffectPeak(VolumeGain(0), file), 0.0f);
}

TEST(Volume, CommandLineValues) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"0", 0},
        {"100", 100},
        {"55", 55},
        {"007", 7},
        {"101", std::nullopt},
        {"-1", std::nullopt},
        {"", std::nullopt},
        {"50%", std::nullopt},
        {" 50", std::nullopt},
        {"5e1", std::nullopt},
        {"99999999999", std::nullopt},
    };
    for (const auto& [text, volume] : cases)
        EXPECT_EQ(ParseVolume(text), volume) << '"' << text << '"';
}

}  // namespace
}  // namespace vornal::test
