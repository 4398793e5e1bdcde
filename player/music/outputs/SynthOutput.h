// synth — the built-in synthesizer playing through FluidSynth's own audio driver
// (PulseAudio, which PipeWire also serves, else ALSA). Each message is stamped with the
// sample at which it became due plus a constant latency of two timer steps, so the 10 ms
// step never becomes jitter: the audio thread applies it at that sample.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "player/music/MidiOutput.h"
#include "player/music/outputs/SynthCore.h"

namespace vornal {

class SynthOutput final : public MidiOutput {
public:
    static constexpr double kLatencyMicros = 20'000;

    // Tries the audio drivers in order; none (an empty list) leaves the rendering to the
    // caller through core(). Throws MidiOutputError naming what is missing. The audio
    // stream itself starts with the first song and then stays.
    SynthOutput(const std::string& soundFont, const std::vector<std::string>& drivers);
    ~SynthOutput() override;

    void open(std::int64_t stepMicros) override;
    void shortMessage(std::uint32_t message, SendTime at) override;
    void longMessage(std::span<const Byte> message, SendTime at) override;
    void reset(std::int64_t stepMicros) override;
    void close(std::int64_t) override {}

    SynthCore& core() { return core_; }
    const std::string& driver() const { return driverName_; }

private:
    bool startDriver(const std::string& name);
    std::int64_t frameFor(double micros, std::int64_t stepMicros);
    void anchor(std::int64_t stepMicros);

    struct DriverDeleter {
        void operator()(fluid_audio_driver_t* d) const { delete_fluid_audio_driver(d); }
    };
    SynthCore core_;
    // After the synthesizer: deleted first, since its thread renders from it.
    std::unique_ptr<fluid_audio_driver_t, DriverDeleter> driver_;
    std::string driverName_;
    double offsetFrames_ = 0;  // synthesizer frame = clock µs × rate + offset
};

// The audio drivers tried for `synth`, in order of preference.
const std::vector<std::string>& DefaultAudioDrivers();

}  // namespace vornal
