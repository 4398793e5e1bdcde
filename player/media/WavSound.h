// A WAV file decoded by SDL (SDL_LoadWAV_RW: PCM of 8 to 32 bits, float, IMA and MS
// ADPCM, A-law, µ-law), and its samples converted to a device's format piece by piece as
// the device asks for them, so that a long sound starts at once and is never held twice.
//
// The bytes come from games: SDL's loader never reads outside them, and what it allocates
// and decodes is bounded by what the file holds (chunk sizes are cut to the file before
// SDL sees them; ADPCM expands four to one at most).
#pragma once

#include <SDL.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>

#include "codec/Stream.h"

namespace vornal {

// A WAV file that SDL cannot read; what() says why.
class WavError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct SdlFree {
    void operator()(Uint8* samples) const { SDL_FreeWAV(samples); }
    void operator()(SDL_AudioStream* stream) const { SDL_FreeAudioStream(stream); }
};

class WavSound {
public:
    // Decodes the whole file; throws WavError.
    explicit WavSound(std::span<const Byte> wav);

    const SDL_AudioSpec& spec() const { return spec_; }
    std::span<const Uint8> samples() const { return {samples_.get(), bytes_}; }
    // How long it plays, rounded up to whole milliseconds.
    std::chrono::milliseconds length() const;

private:
    SDL_AudioSpec spec_{};
    std::unique_ptr<Uint8, SdlFree> samples_;
    Uint32 bytes_ = 0;
};

// Reads a sound converted to `device`'s format, from its start to its end: exactly as
// many frames as its length at the device's rate.
class SoundStream {
public:
    // Throws WavError when SDL cannot convert between the two formats.
    SoundStream(std::shared_ptr<const WavSound> sound, const SDL_AudioSpec& device);

    // Fills up to `size` bytes (whole frames of the device's format) and returns how many
    // it filled; fewer only at the end of the sound.
    int read(Uint8* out, int size);
    bool finished() const { return finished_; }

private:
    // Hands SDL the next piece of the sound, or of the silence after it; false when all
    // of both is in.
    bool feed();

    std::shared_ptr<const WavSound> sound_;
    std::unique_ptr<SDL_AudioStream, SdlFree> stream_;
    std::size_t frameBytes_;  // of the sound's own format
    std::size_t next_ = 0;    // first byte of the sound not yet handed to SDL
    std::size_t pieceFrames_ = 1;
    std::size_t padFrames_ = 0;  // silence still to follow the sound
    std::int64_t left_ = 0;      // bytes still to read in the device's format
    bool flushed_ = false;
    bool finished_ = false;
};

}  // namespace vornal
