// Any bytes as a WAV file: SDL's loader and our conversion to a device's format either
// refuse them (WavError) or give exactly the sound's frames at the device's rate, read in
// the pieces a device asks for. Reading stops after a second or so of output, so a file
// that claims a tiny sample rate costs no more.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "player/media/WavSound.h"

namespace {

using namespace vornal;

constexpr int kDeviceRate = 48000;
constexpr int kDeviceFrameBytes = 8;  // stereo float
constexpr std::int64_t kMaxReadBytes = std::int64_t{256} << 10;

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::shared_ptr<const WavSound> sound;
    try {
        sound = std::make_shared<const WavSound>(std::span<const Byte>(data, size));
    } catch (const WavError&) {
        return 0;
    }
    const SDL_AudioSpec& spec = sound->spec();
    const auto frameBytes =
        static_cast<std::int64_t>(SDL_AUDIO_BITSIZE(spec.format) / 8) * spec.channels;
    const auto frames = static_cast<std::int64_t>(sound->samples().size()) / frameBytes;
    require(sound->length().count() * spec.freq >= frames * 1000);
    SDL_AudioSpec device{};
    device.freq = kDeviceRate;
    device.format = AUDIO_F32SYS;
    device.channels = 2;
    std::unique_ptr<SoundStream> stream;
    try {
        stream = std::make_unique<SoundStream>(sound, device);
    } catch (const WavError&) {
        return 0;
    }
    const std::int64_t expected = frames * kDeviceRate / spec.freq * kDeviceFrameBytes;
    std::vector<Uint8> buffer(4096);
    std::int64_t total = 0;
    while (!stream->finished() && total < kMaxReadBytes) {
        const int got = stream->read(buffer.data(), static_cast<int>(buffer.size()));
        require(got >= 0 && got <= static_cast<int>(buffer.size()) && got % kDeviceFrameBytes == 0);
        total += got;
    }
    // Every frame of the sound, no more, unless the reading was cut short here.
    require(total <= expected);
    if (total < kMaxReadBytes) require(total == expected);
    return 0;
}
