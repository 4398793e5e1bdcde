// Sound effects through SDL2 audio. The device is opened at the first sound that is to be
// heard and kept open; its buffer is small (512 frames, about 11 ms) so that a sound starts at
// once. A sound is converted to the device's format while it plays (WavSound.h).
#pragma once

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "player/core/Media.h"
#include "player/media/WavSound.h"

namespace vornal {

class SdlSound final : public SoundOutput {
public:
    using Clock = std::chrono::steady_clock;

    struct Settings {
        bool muted = false;  // decode and report the length, play nothing
        // Told once, in English, when sound effects cannot be heard (no audio device).
        std::function<void(const std::string&)> notice;
    };

    explicit SdlSound(Settings settings);
    ~SdlSound() override;
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    Started start(std::span<const Byte> wav) override;
    void stop() override;

    // At run time (the window's menu); muting ends the sound that plays.
    void setMuted(bool muted);
    // The level, from 0 (silent) to 1 (as made); at run time too, from the next buffer on.
    void setGain(double gain);

    // For tests and benchmarks: frames of the latest sound handed to the device so far,
    // and when the device took the first of them.
    std::uint64_t framesHanded() const { return handed_.load(); }
    std::optional<Clock::time_point> firstHanded() const;

private:
    // One open audio device; closing it stops its thread, so nothing calls back after.
    class Device {
    public:
        Device(SDL_AudioCallback callback, void* user);
        ~Device();
        Device(const Device&) = delete;
        Device& operator=(const Device&) = delete;
        // Starts calling back.
        void resume();
        SDL_AudioDeviceID id() const { return id_; }
        const SDL_AudioSpec& spec() const { return spec_; }

    private:
        SDL_AudioDeviceID id_ = 0;
        SDL_AudioSpec spec_{};
    };

    static void SDLCALL fill(void* self, Uint8* out, int size);
    // The device, opened on first use; null when there is none (then noticed once).
    Device* device();

    Settings settings_;
    std::atomic<bool> muted_;
    bool triedDevice_ = false;
    std::atomic<std::uint64_t> handed_{0};
    std::atomic<Clock::rep> firstHanded_{0};  // 0: not yet
    // The device's format, set before its thread starts.
    Uint8 silence_ = 0;
    int deviceFrameBytes_ = 1;
    SDL_AudioFormat format_ = AUDIO_F32SYS;
    std::atomic<int> volume_{SDL_MIX_MAXVOLUME};  // SDL's scale of the gain
    std::vector<Uint8> unscaled_;                 // the device thread's, below full volume
    // Read by the device's thread under the device's lock.
    std::unique_ptr<SoundStream> playing_;
    // Last, so that it is closed first, while the sound it reads still exists.
    std::unique_ptr<Device> device_;
};

}  // namespace vornal
