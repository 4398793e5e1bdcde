// wav:FILE — the music rendered by the built-in synthesizer into a WAV file (16-bit stereo,
// 44100 Hz), each message at the exact sample at which it became due. Sample 0 is the
// music clock's 0, so the file is as long as the music's time; it ends one second after
// the last message to let the notes fade. Rendering follows the steps as they come, so
// with a simulated clock (--fast) it runs as fast as the synthesizer renders.
//
// The file tells the truth: only bytes the system took count as data, and the header
// written at the end claims exactly those whole frames. After a write that fails (a full
// disk) the music goes on silently, takeFailure() says why once, and the file stays a
// valid WAV of what was written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <utility>

#include "player/music/MidiOutput.h"
#include "player/music/outputs/SynthCore.h"

namespace vornal {

class WavOutput final : public MidiOutput {
public:
    // Throws MidiOutputError when the file cannot be created or its header written, or the
    // SoundFont read.
    WavOutput(const std::filesystem::path& file, const std::string& soundFont);
    // finish(), if it was not called; its failure then goes unsaid.
    ~WavOutput() override;
    WavOutput(const WavOutput&) = delete;
    WavOutput& operator=(const WavOutput&) = delete;

    void open(std::int64_t stepMicros) override { renderUntilStep(stepMicros); }
    void shortMessage(std::uint32_t message, SendTime at) override;
    void longMessage(std::span<const Byte> message, SendTime at) override;
    void reset(std::int64_t stepMicros) override;
    void close(std::int64_t stepMicros) override { renderUntilStep(stepMicros); }
    std::string takeFailure() override { return std::exchange(untold_, {}); }
    // Renders the fade-out, completes the header and closes the file.
    void finish() override;
    void setGain(double gain) override { core_.setGain(gain); }

private:
    // Every message of earlier steps is known by now: render up to the previous step.
    void renderUntilStep(std::int64_t stepMicros);
    void renderTo(std::int64_t frame);
    // Writes all of `bytes` or as much as the system takes; counts what it took.
    void write(std::span<const Byte> bytes);
    // Stops writing; `why` waits for takeFailure().
    void fail(const std::string& why);
    void closeFile();

    SynthCore core_;
    std::filesystem::path path_;
    int fd_ = -1;
    std::int64_t lastStep_ = 0;
    std::uint64_t dataBytes_ = 0;
    bool failed_ = false;    // nothing more is written
    std::string untold_;     // a failure takeFailure() has not given yet
    bool finished_ = false;  // the file is complete and closed
};

}  // namespace vornal
