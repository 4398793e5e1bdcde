// Any bytes as a BMP and as a JPEG file: a picture within the limits whose pixels fill its
// size, or PictureError; nothing else. A decoded bitmap written the way save files hold it
// reads back the same. The limits are smaller than the player's so that a large picture
// costs the fuzzer no time; the code that applies them is the same.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "player/media/PictureFiles.h"

namespace {

using namespace vornal;

constexpr PictureLimits kLimits{.maxSide = 2048, .maxPixels = 1 << 20};

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const PictureFiles files(kLimits);
    const std::span<const Byte> bytes(data, size);
    for (const PictureFormat format : {PictureFormat::Bmp, PictureFormat::Jpeg}) {
        Bitmap picture;
        try {
            picture = files.decode(bytes, format);
        } catch (const PictureError&) {
            continue;
        }
        require(picture.width > 0 && picture.height > 0);
        require(picture.width <= kLimits.maxSide && picture.height <= kLimits.maxSide);
        require(std::int64_t{picture.width} * picture.height <= kLimits.maxPixels);
        require(picture.pixels.size() ==
                static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
        for (const std::uint32_t pixel : picture.pixels)
            require((pixel & 0xFF000000u) == 0);
        const Bitmap back = files.decode(files.encodeBmp(picture), PictureFormat::Bmp);
        require(back.width == picture.width && back.height == picture.height);
        require(back.pixels == picture.pixels);
    }
    return 0;
}
