#include "player/music/outputs/SynthOutput.h"

#include <alsa/asoundlib.h>

#include <cmath>
#include <mutex>

namespace vornal {

namespace {

constexpr double kFramesPerMicro = SynthCore::kSampleRate / 1e6;

extern "C" int RenderForDriver(void* data, int len, int, float*[], int nout, float* out[]) {
    if (nout < 2) return FLUID_FAILED;
    static_cast<SynthCore*>(data)->render(out[0], out[1], len);
    return FLUID_OK;
}

// ALSA prints every failed lookup of a sound card; the player says one clear thing instead.
extern "C" void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

const std::vector<std::string>& DefaultAudioDrivers() {
    static const std::vector<std::string> drivers{"pulseaudio", "alsa"};
    return drivers;
}

SynthOutput::SynthOutput(const std::string& soundFont, const std::vector<std::string>& drivers)
    : core_(soundFont) {
    static std::once_flag quiet;
    std::call_once(quiet, [] { snd_lib_error_set_handler(QuietAlsa); });
    std::string tried;
    for (const std::string& name : drivers) {
        // Only tried here: the stream is opened when the first song starts, so a player
        // that plays no music keeps no audio stream running.
        if (startDriver(name)) {
            driver_.reset();
            driverName_ = name;
            return;
        }
        tried += (tried.empty() ? "" : ", ") + name;
    }
    if (!drivers.empty())
        throw MidiOutputError("no audio device for the synthesizer (tried " + tried + ")");
}

bool SynthOutput::startDriver(const std::string& name) {
    fluid_settings_setstr(core_.settings(), "audio.driver", name.c_str());
    driver_.reset(new_fluid_audio_driver2(core_.settings(), RenderForDriver, &core_));
    return driver_ != nullptr;
}

SynthOutput::~SynthOutput() = default;

void SynthOutput::anchor(std::int64_t stepMicros) {
    offsetFrames_ = static_cast<double>(core_.renderedFrames()) +
                    (kLatencyMicros - static_cast<double>(stepMicros)) * kFramesPerMicro;
}

std::int64_t SynthOutput::frameFor(double micros, std::int64_t stepMicros) {
    // The sound card's clock and ours drift apart slowly, and a suspended stream stops the
    // sample clock: far out of line, the latency is set up again from this step.
    const double stepFrame = static_cast<double>(stepMicros) * kFramesPerMicro + offsetFrames_;
    const double rendered = static_cast<double>(core_.renderedFrames());
    const double latency = kLatencyMicros * kFramesPerMicro;
    if (stepFrame < rendered - latency || stepFrame > rendered + 10 * latency) anchor(stepMicros);
    return std::llround(micros * kFramesPerMicro + offsetFrames_);
}

void SynthOutput::open(std::int64_t stepMicros) {
    if (!driver_ && !driverName_.empty() && !startDriver(driverName_))
        throw MidiOutputError("the audio device (" + driverName_ + ") cannot be opened any more");
    anchor(stepMicros);
}

void SynthOutput::shortMessage(std::uint32_t message, SendTime at) {
    core_.scheduleShort(frameFor(at.dueMicros, at.stepMicros), message);
}

void SynthOutput::longMessage(std::span<const Byte> message, SendTime at) {
    core_.scheduleLong(frameFor(at.dueMicros, at.stepMicros), message);
}

void SynthOutput::reset(std::int64_t stepMicros) {
    // After every message of the step: they are all due by then.
    core_.scheduleReset(frameFor(static_cast<double>(stepMicros), stepMicros));
}

}  // namespace vornal
