#include "player/media/WavSound.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace vornal {

namespace {

// Frames of the sound handed to the converter at a time: a few milliseconds of audio.
constexpr std::size_t kPieceFrames = 1024;
// The sample rates taken: telephone sound is 8 kHz, studio recordings go to 384 kHz.
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 768000;
// Frames of silence after the sound, per step of the rate's ratio (see SoundStream).
constexpr std::size_t kPadFrames = 1024;

std::size_t frameBytes(const SDL_AudioSpec& spec) {
    return static_cast<std::size_t>(SDL_AUDIO_BITSIZE(spec.format) / 8) * spec.channels;
}

// RIFF: "RIFF", size, "WAVE", then chunks of a 4-byte id, a 4-byte size and the data,
// padded to an even length.
constexpr std::size_t kRiffSizeAt = 4;
constexpr std::size_t kFirstChunkAt = 12;
constexpr std::size_t kChunkHeader = 8;

std::uint32_t readLE32(std::span<const Byte> data, std::size_t at) {
    return std::uint32_t{data[at]} | std::uint32_t{data[at + 1]} << 8 |
           std::uint32_t{data[at + 2]} << 16 | std::uint32_t{data[at + 3]} << 24;
}

void writeLE32(std::vector<Byte>& data, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        data[at + static_cast<std::size_t>(i)] = static_cast<Byte>(value >> (8 * i));
}

// SDL allocates what a chunk's header declares before it reads the chunk, so a file cut
// short, or made to, could have it ask for 4 GiB. Here every declared size is cut to what
// the file holds; SDL then reads it as any file cut short. Never reads outside `file`.
std::vector<Byte> withHonestSizes(std::span<const Byte> file) {
    std::vector<Byte> copy(file.begin(), file.end());
    if (copy.size() < kFirstChunkAt) return copy;
    const auto riff = static_cast<std::uint32_t>(copy.size() - kChunkHeader);
    if (readLE32(copy, kRiffSizeAt) > riff) writeLE32(copy, kRiffSizeAt, riff);
    std::size_t at = kFirstChunkAt;
    while (copy.size() - at >= kChunkHeader) {
        const std::size_t left = copy.size() - at - kChunkHeader;
        std::size_t size = readLE32(copy, at + 4);
        if (size > left) {
            size = left;
            writeLE32(copy, at + 4, static_cast<std::uint32_t>(size));
        }
        at += kChunkHeader + size + (size & 1);
        if (at > copy.size()) break;
    }
    return copy;
}

}  // namespace

WavSound::WavSound(std::span<const Byte> wav) {
    if (wav.size() > static_cast<std::size_t>(INT32_MAX)) throw WavError("file too large");
    const std::vector<Byte> file = withHonestSizes(wav);
    SDL_RWops* source = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
    if (!source) throw WavError(SDL_GetError());
    Uint8* samples = nullptr;
    // freesrc 1: SDL closes the source in every case.
    if (!SDL_LoadWAV_RW(source, 1, &spec_, &samples, &bytes_)) throw WavError(SDL_GetError());
    samples_.reset(samples);
    if (spec_.channels == 0 || frameBytes(spec_) == 0) throw WavError("no channels");
    // SDL's resampler overflows on rates far beyond any sound card's, and crawls on rates
    // far below.
    if (spec_.freq < kMinRate || spec_.freq > kMaxRate) {
        throw WavError("sample rate of " + std::to_string(spec_.freq) + " Hz");
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
    // SDL 2.26 keeps the resampler's last input back even when flushed; silence after the
    // sound pushes it out, and the count below cuts the silence off again.
    padFrames_ = kPadFrames * static_cast<std::size_t>((from.freq + device.freq - 1) / device.freq);
    // A piece never converts to more than a few milliseconds, whatever rate a file claims.
    pieceFrames_ = std::clamp<std::size_t>(
        kPieceFrames * static_cast<std::size_t>(from.freq) / static_cast<std::size_t>(device.freq),
        1, kPieceFrames);
    const auto frames = static_cast<std::int64_t>(sound_->samples().size() / frameBytes_);
    left_ = frames * device.freq / from.freq * static_cast<std::int64_t>(frameBytes(device));
}

bool SoundStream::feed() {
    const std::span<const Uint8> samples = sound_->samples();
    // Whole frames only; a broken last frame is dropped.
    const std::size_t end = samples.size() / frameBytes_ * frameBytes_;
    const std::size_t piece = pieceFrames_ * frameBytes_;
    if (next_ < end) {
        const std::size_t size = std::min(end - next_, piece);
        const int result =
            SDL_AudioStreamPut(stream_.get(), samples.data() + next_, static_cast<int>(size));
        next_ += size;
        return result == 0;
    }
    if (padFrames_ > 0) {
        const std::size_t frames = std::min(padFrames_, pieceFrames_);
        const Uint8 silence = sound_->spec().format == AUDIO_U8 ? 0x80 : 0;
        const std::vector<Uint8> quiet(frames * frameBytes_, silence);
        padFrames_ -= frames;
        return SDL_AudioStreamPut(stream_.get(), quiet.data(), static_cast<int>(quiet.size())) == 0;
    }
    if (flushed_) return false;
    flushed_ = true;
    return SDL_AudioStreamFlush(stream_.get()) == 0;
}

int SoundStream::read(Uint8* out, int size) {
    int filled = 0;
    while (filled < size && !finished_) {
        const auto want = static_cast<int>(std::min<std::int64_t>(size - filled, left_));
        const int got = want > 0 ? SDL_AudioStreamGet(stream_.get(), out + filled, want) : 0;
        if (got < 0) {
            finished_ = true;  // the converter failed: the sound ends here
            break;
        }
        filled += got;
        left_ -= got;
        if (left_ <= 0 || (got == 0 && !feed())) finished_ = true;
    }
    return filled;
}

}  // namespace vornal
