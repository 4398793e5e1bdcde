#include "player/web/page/PageSound.h"

#include <utility>

#include "player/web/page/PageBridge.h"

namespace vornal::page {

std::vector<float> PageSound::convert(std::shared_ptr<const WavSound> sound, int sampleRate) {
    SDL_AudioSpec device{};
    device.freq = sampleRate;
    device.format = AUDIO_F32SYS;
    device.channels = 2;
    SoundStream stream(std::move(sound), device);
    std::vector<float> samples;
    constexpr int kPieceFrames = 4096;
    std::vector<Uint8> piece(kPieceFrames * 2 * sizeof(float));
    while (!stream.finished()) {
        const int got = stream.read(piece.data(), static_cast<int>(piece.size()));
        const auto* floats = reinterpret_cast<const float*>(piece.data());
        samples.insert(samples.end(), floats, floats + got / static_cast<int>(sizeof(float)));
        if (got == 0) break;
    }
    return samples;
}

SoundOutput::Started PageSound::start(std::span<const Byte> wav) {
    Started started;
    try {
        auto sound = std::make_shared<const WavSound>(wav);
        started.length = sound->length();
        started.result = Started::Result::Silent;
        if (!muted_ && sampleRate_ > 0) {
            const std::vector<float> samples = convert(std::move(sound), sampleRate_);
            if (vornal_js_sound_play(samples.data(), static_cast<int>(samples.size() / 2)))
                started.result = Started::Result::Playing;
        } else {
            stop();
        }
    } catch (const WavError& error) {
        stop();
        started.result = Started::Result::Undecodable;
        started.error = error.what();
    }
    return started;
}

void PageSound::stop() {
    vornal_js_sound_stop();
}

void PageSound::setMuted(bool muted) {
    muted_ = muted;
    if (muted) stop();
}

}  // namespace vornal::page
