#include "player/music/outputs/SynthOutput.h"

#include <alsa/asoundlib.h>

#include <cmath>
#include <mutex>

#include "player/music/outputs/PulseStream.h"

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

// The PulseAudio stream: the server asks for at least 256 frames (5.8 ms) at a time and holds
// 25 ms in all, its own buffer included. With the stamps' latency that makes about 42 ms from
// due time to sound, and the player wakes some 150 times a second instead of 700.
constexpr PulseStream::Buffering kPulseBuffering{.blockFrames = 256, .latencyFrames = 1102};

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
            stopDriver();
            driverName_ = name;
            return;
        }
        tried += (tried.empty() ? "" : ", ") + name;
    }
    if (!drivers.empty())
        throw MidiOutputError("no audio device for the synthesizer (tried " + tried + ")");
}

bool SynthOutput::startDriver(const std::string& name) {
    if (name == "pulseaudio") {
        try {
            auto stream = std::make_unique<PulseStream>(core_, kPulseBuffering);
            std::lock_guard lock(pulseMutex_);
            pulse_ = std::move(stream);
            return true;
        } catch (const MidiOutputError&) {
            return false;
        }
    }
    fluid_settings_setstr(core_.settings(), "audio.driver", name.c_str());
    driver_.reset(new_fluid_audio_driver2(core_.settings(), RenderForDriver, &core_));
    return driver_ != nullptr;
}

void SynthOutput::stopDriver() {
    std::unique_ptr<PulseStream> stream;
    {
        std::lock_guard lock(pulseMutex_);
        stream = std::move(pulse_);
    }
    driver_.reset();
}

double SynthOutput::renderPosition() const {
    if (pulse_) return pulse_->renderPosition(PulseStream::Clock::now());
    return static_cast<double>(core_.renderedFrames());
}

SynthOutput::~SynthOutput() = default;

void SynthOutput::anchor(std::int64_t stepMicros) {
    offsetFrames_ =
        renderPosition() + (kLatencyMicros - static_cast<double>(stepMicros)) * kFramesPerMicro;
}

std::int64_t SynthOutput::frameFor(double micros, std::int64_t stepMicros) {
    // The frames rendered advance with time only once the server plays: the latency is set
    // up again then. The sound card's clock and ours drift apart slowly, and a suspended
    // stream stops the sample clock: far out of line, it is set up again too.
    if (pulse_ && pulse_->takeStart()) anchor(stepMicros);
    const double stepFrame = static_cast<double>(stepMicros) * kFramesPerMicro + offsetFrames_;
    const double rendered = static_cast<double>(core_.renderedFrames());
    const double latency = kLatencyMicros * kFramesPerMicro;
    if (stepFrame < rendered - latency || stepFrame > rendered + 10 * latency) anchor(stepMicros);
    return std::llround(micros * kFramesPerMicro + offsetFrames_);
}

std::optional<double> SynthOutput::soundLatencyMicros(std::int64_t clockMicros) const {
    std::lock_guard lock(pulseMutex_);
    const std::optional<PulseStream::Timing> timing = pulse_ ? pulse_->timing() : std::nullopt;
    if (!timing) return std::nullopt;
    // A message due at d is stamped d × rate + offset, and the frame written next is heard
    // after the stream's latency.
    return static_cast<double>(clockMicros) + timing->latencyMicros +
           (offsetFrames_ - static_cast<double>(timing->nextFrame)) / kFramesPerMicro;
}

void SynthOutput::open(std::int64_t stepMicros) {
    if (!pulse_ && !driver_ && !driverName_.empty() && !startDriver(driverName_))
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
