// The player's picture files: BMP read and written through Qt's QImage on the desktop and
// without Qt on the web (BmpReader.h, PictureWriters.h), JPEG decoded with libjpeg-turbo,
// and the picture area written out as PNG or BMP.
//
// Pictures come from games, so every byte is untrusted: the decoders never read outside
// the data they are given, and refuse (PictureError) before decoding any picture whose
// header declares more than the limits, so that a crafted file cannot make them allocate
// without bound.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "player/core/Media.h"

namespace vornal {

struct PictureLimits {
    std::int64_t maxSide = PictureCodec::kMaxSide;
    std::int64_t maxPixels = PictureCodec::kMaxPixels;

    // Throws PictureError when a picture of this size is not to be decoded.
    void check(std::int64_t width, std::int64_t height) const;
};

class PictureFiles final : public PictureCodec {
public:
    // Smaller limits are for fuzzing, where a large picture only costs time.
    explicit PictureFiles(PictureLimits limits = {}) : limits_(limits) {}

    Bitmap decode(std::span<const Byte> data, PictureFormat format) const override;
    // 24 bits per pixel, bottom-up, as Windows writes a bitmap without a palette.
    std::vector<Byte> encodeBmp(const Bitmap& bitmap) const override;

private:
    PictureLimits limits_;
};

// The two decoders behind PictureFiles::decode.
Bitmap decodeBmp(std::span<const Byte> data, const PictureLimits& limits);
Bitmap decodeJpeg(std::span<const Byte> data, const PictureLimits& limits);

enum class PictureFileFormat : std::uint8_t { Png, Bmp };
// The whole file of `bitmap`; throws PictureError. Written by Qt on the desktop
// (QtBitmap.cpp), by PictureWriters.h on the web.
std::vector<Byte> encodePictureFile(const Bitmap& bitmap, PictureFileFormat format);

// Writes `bitmap` to `file` as PNG or BMP, chosen by the extension in any letter case,
// through a temporary file renamed over the target. Throws PictureError naming the file.
void writePictureFile(const Bitmap& bitmap, const std::filesystem::path& file);

// True when writePictureFile can write a file of this name.
bool isPictureFileName(const std::filesystem::path& file);

}  // namespace vornal
