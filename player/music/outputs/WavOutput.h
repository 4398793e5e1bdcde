// wav:FILE — the music rendered by the built-in synthesizer into a WAV file (16-bit stereo,
// 44100 Hz), each message at the exact sample at which it became due. Sample 0 is the
// music clock's 0, so the file is as long as the music's time; it ends one second after
// the last message to let the notes fade. Rendering follows the steps as they come, so
// with a simulated clock (--fast) it runs as fast as the synthesizer renders.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "player/music/MidiOutput.h"
#include "player/music/outputs/SynthCore.h"

namespace vornal {

class WavOutput final : public MidiOutput {
public:
    // Throws MidiOutputError when the file cannot be created or the SoundFont read.
    WavOutput(const std::filesystem::path& file, const std::string& soundFont);
    // Renders the fade-out and completes the file's header.
    ~WavOutput() override;

    void open(std::int64_t stepMicros) override { renderUntilStep(stepMicros); }
    void shortMessage(std::uint32_t message, SendTime at) override;
    void longMessage(std::span<const Byte> message, SendTime at) override;
    void reset(std::int64_t stepMicros) override;
    void close(std::int64_t stepMicros) override { renderUntilStep(stepMicros); }
    void setGain(double gain) override { core_.setGain(gain); }

private:
    // Every message of earlier steps is known by now: render up to the previous step.
    void renderUntilStep(std::int64_t stepMicros);
    void renderTo(std::int64_t frame);
    void write(std::span<const float> left, std::span<const float> right);

    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    SynthCore core_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::filesystem::path path_;
    std::int64_t lastStep_ = 0;
    std::uint64_t dataBytes_ = 0;
    bool failed_ = false;
};

}  // namespace vornal
