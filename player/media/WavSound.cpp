#include "player/media/WavSound.h"

#include <algorithm>
#include <string>
#include <utility>

namespace vornal {

namespace {

// Bytes of the sound handed to the converter at a time: a few milliseconds of audio.
constexpr std::size_t kPieceFrames = 1024;

std::size_t frameBytes(const SDL_AudioSpec& spec) {
    return static_cast<std::size_t>(SDL_AUDIO_BITSIZE(spec.format) / 8) * spec.channels;
}

}  // namespace

WavSound::WavSound(std::span<const Byte> file) {
    if (file.size() > static_cast<std::size_t>(INT32_MAX)) throw WavError("file too large");
    SDL_RWops* source = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
    if (!source) throw WavError(SDL_GetError());
    Uint8* samples = nullptr;
    // freesrc 1: SDL closes the source in every case.
    if (!SDL_LoadWAV_RW(source, 1, &spec_, &samples, &bytes_)) throw WavError(SDL_GetError());
    samples_.reset(samples);
    if (spec_.freq <= 0 || spec_.channels == 0 || frameBytes(spec_) == 0) {
        throw WavError("no sample rate or channels");
    }
}

std::chrono::milliseconds WavSound::length() const {
    const auto frames = static_cast<std::int64_t>(bytes_ / frameBytes(spec_));
    const std::int64_t rate = spec_.freq;
    return std::chrono::milliseconds((frames * 1000 + rate - 1) / rate);
}

SoundStream::SoundStream(std::shared_ptr<const WavSound> sound, const SDL_AudioSpec& device)
    : sound_(std::move(sound)), frameBytes_(frameBytes(sound_->spec())) {
    const SDL_AudioSpec& from = sound_->spec();
    stream_.reset(SDL_NewAudioStream(from.format, from.channels, from.freq, device.format,
                                     device.channels, device.freq));
    if (!stream_) throw WavError(std::string("cannot convert the sound: ") + SDL_GetError());
}

int SoundStream::read(Uint8* out, int size) {
    const std::span<const Uint8> samples = sound_->samples();
    // Whole frames only; a broken last frame is dropped.
    const std::size_t end = samples.size() / frameBytes_ * frameBytes_;
    int filled = 0;
    while (filled < size && !finished_) {
        const int got = SDL_AudioStreamGet(stream_.get(), out + filled, size - filled);
        if (got < 0) {
            finished_ = true;  // the converter failed: the sound ends here
            break;
        }
        filled += got;
        if (got > 0) continue;
        if (next_ < end) {
            const std::size_t piece = std::min(end - next_, kPieceFrames * frameBytes_);
            if (SDL_AudioStreamPut(stream_.get(), samples.data() + next_,
                                   static_cast<int>(piece)) != 0) {
                finished_ = true;
            }
            next_ += piece;
        } else if (!flushed_) {
            SDL_AudioStreamFlush(stream_.get());
            flushed_ = true;
        } else {
            finished_ = true;
        }
    }
    return filled;
}

}  // namespace vornal
