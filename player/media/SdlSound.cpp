#include "player/media/SdlSound.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <utility>

namespace vornal {

namespace {

constexpr int kDeviceRate = 48000;
// About 11 ms at 48 kHz: a sound reaches the device within one buffer.
constexpr Uint16 kDeviceFrames = 512;

// Holds the device's lock for one scope: the device's thread reads the playing sound.
class DeviceLock {
public:
    explicit DeviceLock(SDL_AudioDeviceID id) : id_(id) {
        if (id_) SDL_LockAudioDevice(id_);
    }
    ~DeviceLock() {
        if (id_) SDL_UnlockAudioDevice(id_);
    }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

private:
    SDL_AudioDeviceID id_;
};

}  // namespace

SdlSound::Device::Device(SDL_AudioCallback callback, void* user) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) throw WavError(SDL_GetError());
    SDL_AudioSpec want{};
    want.freq = kDeviceRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kDeviceFrames;
    want.callback = callback;
    want.userdata = user;
    // Whatever the device prefers; each sound is converted to it.
    id_ = SDL_OpenAudioDevice(nullptr, 0, &want, &spec_,
                              SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_FORMAT_CHANGE |
                                  SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (id_ == 0) {
        std::string error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        throw WavError(error);
    }
}

void SdlSound::Device::resume() {
    SDL_PauseAudioDevice(id_, 0);
}

SdlSound::Device::~Device() {
    SDL_CloseAudioDevice(id_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

SdlSound::SdlSound(Settings settings) : settings_(std::move(settings)), muted_(settings_.muted) {}

SdlSound::~SdlSound() {
    device_.reset();
}

SdlSound::Device* SdlSound::device() {
    if (!triedDevice_) {
        triedDevice_ = true;
        try {
            device_ = std::make_unique<Device>(&SdlSound::fill, this);
            const SDL_AudioSpec& spec = device_->spec();
            silence_ = spec.silence;
            deviceFrameBytes_ = SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
            format_ = spec.format;
            unscaled_.resize(spec.size);
            // Only now: the device's thread reads what was just set.
            device_->resume();
        } catch (const WavError& error) {
            if (settings_.notice) {
                settings_.notice(std::string("sound effects are off: no audio device (") +
                                 error.what() + ")");
            }
        }
    }
    return device_.get();
}

SoundOutput::Started SdlSound::start(std::span<const Byte> wav) {
    Started started;
    std::shared_ptr<const WavSound> sound;
    try {
        sound = std::make_shared<const WavSound>(wav);
    } catch (const WavError& error) {
        stop();
        started.result = Started::Result::Undecodable;
        started.error = error.what();
        return started;
    }
    started.length = sound->length();
    started.result = Started::Result::Silent;
    Device* output = muted_ ? nullptr : device();
    std::unique_ptr<SoundStream> stream;
    if (output) {
        try {
            stream = std::make_unique<SoundStream>(sound, output->spec());
        } catch (const WavError& error) {
            stop();
            started.result = Started::Result::Undecodable;
            started.error = error.what();
            return started;
        }
        started.result = Started::Result::Playing;
    }
    {
        DeviceLock lock(device_ ? device_->id() : 0);
        // Swapped, not assigned: the sound it replaces is freed below, outside the lock,
        // so the device's thread never waits for it.
        playing_.swap(stream);
        handed_ = 0;
        firstHanded_ = 0;
    }
    return started;
}

void SdlSound::stop() {
    std::unique_ptr<SoundStream> ended;
    DeviceLock lock(device_ ? device_->id() : 0);
    ended = std::move(playing_);
}

void SdlSound::setMuted(bool muted) {
    muted_ = muted;
    if (muted) stop();
}

void SdlSound::setGain(double gain) {
    volume_ = static_cast<int>(std::lround(std::clamp(gain, 0.0, 1.0) * SDL_MIX_MAXVOLUME));
}

std::optional<SdlSound::Clock::time_point> SdlSound::firstHanded() const {
    const Clock::rep ticks = firstHanded_.load();
    if (ticks == 0) return std::nullopt;
    return Clock::time_point(Clock::duration(ticks));
}

void SDLCALL SdlSound::fill(void* self, Uint8* out, int size) {
    auto& sound = *static_cast<SdlSound*>(self);
    const int volume = sound.volume_;
    // Below full volume the sound is read aside and mixed in at its level.
    const bool scaled = volume < SDL_MIX_MAXVOLUME;
    if (scaled && sound.unscaled_.size() < static_cast<std::size_t>(size))
        sound.unscaled_.resize(static_cast<std::size_t>(size));
    Uint8* read = scaled ? sound.unscaled_.data() : out;
    int filled = 0;
    if (sound.playing_ && !sound.playing_->finished()) {
        filled = sound.playing_->read(read, size);
        if (filled > 0) {
            if (sound.handed_ == 0) sound.firstHanded_ = Clock::now().time_since_epoch().count();
            sound.handed_ += static_cast<std::uint64_t>(filled / sound.deviceFrameBytes_);
        }
    }
    if (scaled) {
        std::memset(out, sound.silence_, static_cast<std::size_t>(size));
        SDL_MixAudioFormat(out, read, sound.format_, static_cast<Uint32>(filled), volume);
        return;
    }
    std::memset(out + filled, sound.silence_, static_cast<std::size_t>(size - filled));
}

}  // namespace vornal
