// synth — the built-in synthesizer playing through a PulseAudio server (which PipeWire also
// serves) by a stream of our own (PulseStream.h), else through FluidSynth's ALSA driver.
// Each message is stamped with the sample at which it became due plus a constant latency,
// so the 10 ms step never becomes jitter: the audio thread applies it at that sample.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "player/music/MidiOutput.h"
#include "player/music/outputs/SynthCore.h"

namespace vornal {

class PulseStream;

class SynthOutput final : public MidiOutput {
public:
    // A message is sent up to one step (10 ms) after its due time, and the server takes a
    // whole block at once; the rest is the timer's lateness on a busy machine.
    static constexpr double kLatencyMicros = 25'000;

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
    void setGain(double gain) override { core_.setGain(gain); }

    SynthCore& core() { return core_; }
    // How long after its due time a message sent now would be heard, from the sound server's
    // own report; `clockMicros` is the music clock now. None without a PulseAudio stream.
    std::optional<double> soundLatencyMicros(std::int64_t clockMicros) const;
    const std::string& driver() const { return driverName_; }

private:
    bool startDriver(const std::string& name);
    void stopDriver();
    // The synthesizer's frame clock as the anchor reads it.
    double renderPosition() const;
    std::int64_t frameFor(double micros, std::int64_t stepMicros);
    void anchor(std::int64_t stepMicros);

    struct DriverDeleter {
        void operator()(fluid_audio_driver_t* d) const { delete_fluid_audio_driver(d); }
    };
    SynthCore core_;
    // After the synthesizer: deleted first, since their threads render from it.
    mutable std::mutex pulseMutex_;  // soundLatencyMicros() may come from another thread
    std::unique_ptr<PulseStream> pulse_;
    std::unique_ptr<fluid_audio_driver_t, DriverDeleter> driver_;
    std::string driverName_;
    // Synthesizer frame = clock µs × rate + offset; read by soundLatencyMicros() too.
    std::atomic<double> offsetFrames_{0};
};

// The audio drivers tried for `synth`, in order of preference.
const std::vector<std::string>& DefaultAudioDrivers();

}  // namespace vornal
