// What the engine asks of the media layer: decoding pictures, playing sound effects,
// playing music. The engine holds only these interfaces; player/media and player/music
// implement them once for the window and the terminal, and tests may pass fakes.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "codec/Stream.h"

namespace vornal {

class Music;

// A picture in memory: rows from top to bottom, each pixel 0x00RRGGBB.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // width * height

    std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

enum class PictureFormat : std::uint8_t { Bmp, Jpeg };

// A picture that cannot be shown: damaged, of a kind the decoder does not read, or larger
// than the limits below. what() says why, in English.
class PictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class PictureCodec {
public:
    // A crafted header must not make the player allocate without bound: pictures are
    // refused before decoding when they declare more than this.
    static constexpr std::int64_t kMaxSide = 16384;
    static constexpr std::int64_t kMaxPixels = std::int64_t{64} << 20;

    virtual ~PictureCodec() = default;
    // Decodes a whole picture file held in memory, or throws PictureError. Never reads
    // outside `data`.
    virtual Bitmap decode(std::span<const Byte> data, PictureFormat format) const = 0;
    // A complete Windows BMP file (file header included) of `bitmap`.
    virtual std::vector<Byte> encodeBmp(const Bitmap& bitmap) const = 0;
};

// Sound effects. start() returns at once; the engine then waits `length` through its host.
class SoundOutput {
public:
    struct Started {
        enum class Result : std::uint8_t {
            Playing,      // handed to the device
            Silent,       // decoded but not played (muted, or no device): still takes `length`
            Undecodable,  // not a WAV file the player reads; `error` says why
        };
        Result result = Result::Silent;
        std::chrono::milliseconds length{0};
        std::string error;
    };

    virtual ~SoundOutput() = default;
    // Starts playing a WAV file held in memory (the bytes are copied), ending any sound
    // that still plays.
    virtual Started start(std::span<const Byte> wav) = 0;
    // Ends the sound at once (another game was opened meanwhile).
    virtual void stop() = 0;
};

// The media an engine uses. Absent parts: pictures cannot be decoded (failure as for a
// damaged file), sound effects play nothing and take no time, and the engine keeps a
// silent Music of its own. None is owned by the engine; each must outlive it.
struct MediaServices {
    const PictureCodec* pictures = nullptr;
    SoundOutput* sound = nullptr;
    Music* music = nullptr;
};

}  // namespace vornal
