// Sound effects: every WAV encoding SDL reads, with its length; playing on SDL's dummy
// driver (which keeps real time), muting, and a player without an audio device.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "player/media/SdlSound.h"

namespace vornal::test {
namespace {

using namespace std::chrono_literals;

void put16(std::vector<Byte>& out, unsigned v) {
    out.push_back(static_cast<Byte>(v));
    out.push_back(static_cast<Byte>(v >> 8));
}
void put32(std::vector<Byte>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
void putTag(std::vector<Byte>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

struct WavForm {
    std::string name;
    unsigned tag, bits, blockAlign;
    std::vector<Byte> fmtExtra;  // after cbSize; none at all for plain PCM
    std::size_t dataBytes;
    std::uint32_t rate;
    long lengthMs;
};

// A mono file of `form`: the data are zeros, which every encoding decodes (ADPCM blocks
// are given a step that is allowed).
std::vector<Byte> makeWav(const WavForm& form) {
    std::vector<Byte> fmt;
    put16(fmt, form.tag);
    put16(fmt, 1);
    put32(fmt, form.rate);
    put32(fmt, form.rate * form.blockAlign);
    put16(fmt, form.blockAlign);
    put16(fmt, form.bits);
    if (form.tag != 1) {
        put16(fmt, static_cast<unsigned>(form.fmtExtra.size()));
        fmt.insert(fmt.end(), form.fmtExtra.begin(), form.fmtExtra.end());
    }
    std::vector<Byte> data(form.dataBytes, form.bits == 8 ? 0x80 : 0);
    if (form.tag == 2) {  // MS ADPCM: predictor 0, a delta of 16 in each block header
        for (std::size_t block = 0; block < data.size(); block += form.blockAlign)
            data[block + 1] = 16;
    }
    std::vector<Byte> file;
    putTag(file, "RIFF");
    put32(file, static_cast<std::uint32_t>(4 + 8 + fmt.size() + 8 + data.size()));
    putTag(file, "WAVE");
    putTag(file, "fmt ");
    put32(file, static_cast<std::uint32_t>(fmt.size()));
    file.insert(file.end(), fmt.begin(), fmt.end());
    putTag(file, "data");
    put32(file, static_cast<std::uint32_t>(data.size()));
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

std::vector<Byte> msAdpcmExtra() {
    std::vector<Byte> extra;
    put16(extra, 500);  // samples per 256-byte block: 2 + 2 * (256 - 7)
    put16(extra, 7);
    const int coefficients[7][2] = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                                    {240, 0}, {460, -208}, {392, -232}};
    for (const auto& pair : coefficients) {
        put16(extra, static_cast<unsigned>(pair[0]) & 0xFFFF);
        put16(extra, static_cast<unsigned>(pair[1]) & 0xFFFF);
    }
    return extra;
}

std::vector<Byte> imaExtra() {
    std::vector<Byte> extra;
    put16(extra, 505);  // samples per 256-byte block: 1 + 2 * (256 - 4)
    return extra;
}

const std::vector<WavForm>& wavForms() {
    static const std::vector<WavForm> forms = {
        {"PCM 8", 1, 8, 1, {}, 4000, 8000, 500},
        {"PCM 16", 1, 16, 2, {}, 8000, 8000, 500},
        {"PCM 24", 1, 24, 3, {}, 3 * 22050, 44100, 500},
        {"PCM 32", 1, 32, 4, {}, 4 * 4001, 8000, 501},  // rounded up
        {"float", 3, 32, 4, {}, 4 * 4000, 8000, 500},
        {"A-law", 6, 8, 1, {}, 4000, 8000, 500},
        {"mu-law", 7, 8, 1, {}, 4000, 8000, 500},
        {"IMA ADPCM", 0x11, 4, 256, imaExtra(), 8 * 256, 8080, 500},
        {"MS ADPCM", 2, 4, 256, msAdpcmExtra(), 8 * 256, 8000, 500},
    };
    return forms;
}

// SDL's dummy driver: no sound card needed, and it takes samples in real time.
class Sound : public ::testing::Test {
protected:
    void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }
};

TEST_F(Sound, EveryEncodingSdlReadsHasItsLength) {
    for (const WavForm& form : wavForms()) {
        const WavSound sound(makeWav(form));
        EXPECT_EQ(sound.length(), std::chrono::milliseconds(form.lengthMs)) << form.name;
        EXPECT_EQ(sound.spec().freq, static_cast<int>(form.rate)) << form.name;
    }
    WavForm slow = wavForms()[0], fast = wavForms()[0];
    slow.rate = 999;  // rates no sound card plays, on which SDL's resampler fails
    fast.rate = 768001;
    for (const std::vector<Byte>& bad :
         {std::vector<Byte>{}, std::vector<Byte>{'R', 'I', 'F', 'F'}, std::vector<Byte>(100, 0x41),
          makeWav(slow), makeWav(fast)}) {
        EXPECT_THROW(WavSound{bad}, WavError);
    }
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

TEST_F(Sound, APlayedSoundReachesTheDeviceWhole) {
    SdlSound sound({});
    for (const WavForm& form : {wavForms()[1], wavForms()[7]}) {
        const auto started = sound.start(makeWav(form));
        EXPECT_EQ(started.result, SoundOutput::Started::Result::Playing) << form.name;
        EXPECT_EQ(started.length, 500ms);
        // Converted to the device's rate (48 kHz asked for, the dummy driver takes it).
        EXPECT_EQ(playedFrames(sound), 24000u) << form.name;
        EXPECT_TRUE(sound.firstHanded().has_value());
    }
}

TEST_F(Sound, MutedSoundsTakeTheirTimeAndPlayNothing) {
    SdlSound sound({.muted = true, .notice = {}});
    const auto started = sound.start(makeWav(wavForms()[0]));
    EXPECT_EQ(started.result, SoundOutput::Started::Result::Silent);
    EXPECT_EQ(started.length, 500ms);
    // Muted at run time: the sound that plays ends.
    sound.setMuted(false);
    EXPECT_EQ(sound.start(makeWav(wavForms()[0])).result, SoundOutput::Started::Result::Playing);
    std::this_thread::sleep_for(50ms);
    sound.setMuted(true);
    const std::uint64_t atMute = playedFrames(sound);
    EXPECT_LT(atMute, 20000u);
    const auto bad = sound.start(std::vector<Byte>{'R', 'I', 'F', 'F'});
    EXPECT_EQ(bad.result, SoundOutput::Started::Result::Undecodable);
    EXPECT_FALSE(bad.error.empty());
}

TEST_F(Sound, WithoutADeviceSoundIsOffWithOneNotice) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    std::vector<std::string> notices;
    {
        SdlSound sound({.notice = [&](const std::string& text) { notices.push_back(text); }});
        for (int i = 0; i < 2; ++i) {
            const auto started = sound.start(makeWav(wavForms()[0]));
            EXPECT_EQ(started.result, SoundOutput::Started::Result::Silent);
            EXPECT_EQ(started.length, 500ms);
        }
    }
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("sound effects are off"), std::string::npos);
}

}  // namespace
}  // namespace vornal::test
