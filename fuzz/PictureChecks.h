// What every decoded picture of the picture fuzz targets must be: within the fuzzing limits
// (smaller than the player's, so that a large picture costs the fuzzer no time; the code
// that applies them is the same), its pixels filling its size, no alpha.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "player/media/PictureFiles.h"

namespace vornal::fuzz {

inline constexpr PictureLimits kPictureLimits{.maxSide = 2048, .maxPixels = 1 << 20};

inline void require(bool condition) {
    if (!condition) std::abort();
}

inline void requireSanePicture(const Bitmap& picture) {
    require(picture.width > 0 && picture.height > 0);
    require(picture.width <= kPictureLimits.maxSide && picture.height <= kPictureLimits.maxSide);
    require(std::int64_t{picture.width} * picture.height <= kPictureLimits.maxPixels);
    require(picture.pixels.size() ==
            static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
    for (const std::uint32_t pixel : picture.pixels)
        require((pixel & 0xFF000000u) == 0);
}

}  // namespace vornal::fuzz
