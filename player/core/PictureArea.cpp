#include "player/core/PictureArea.h"

#include <algorithm>
#include <utility>

namespace vornal {

namespace {

Bitmap filled(int width, int height, std::uint32_t colour) {
    Bitmap b;
    b.width = std::max(width, 0);
    b.height = std::max(height, 0);
    b.pixels.assign(static_cast<std::size_t>(b.width) * static_cast<std::size_t>(b.height), colour);
    return b;
}

// A bitmap whose pixels do not fill its size would be read, or written, past its end.
bool wellFormed(const Bitmap& b) {
    return b.width >= 0 && b.height >= 0 &&
           b.pixels.size() ==
               static_cast<std::size_t>(b.width) * static_cast<std::size_t>(b.height);
}

}  // namespace

void PictureArea::setAreaSize(int width, int height) {
    areaWidth_ = std::max(width, 0);
    areaHeight_ = std::max(height, 0);
}

void PictureArea::draw(const Bitmap& picture, std::int64_t x, std::int64_t y) {
    if (!wellFormed(picture)) return;
    ++version_;
    if (!drawn_) {
        bitmap_ = filled(areaWidth_, areaHeight_, kNewBitmapFill);
        drawn_ = true;
    }
    // Entirely outside: done, before any sum could overflow.
    if (x >= bitmap_.width || y >= bitmap_.height || x <= -std::int64_t{picture.width} ||
        y <= -std::int64_t{picture.height})
        return;
    // The overlap of the picture's rectangle and the bitmap's, in bitmap coordinates.
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t right = std::min<std::int64_t>(x + picture.width, bitmap_.width);
    const std::int64_t bottom = std::min<std::int64_t>(y + picture.height, bitmap_.height);
    if (left >= right || top >= bottom) return;
    const auto count = static_cast<std::size_t>(right - left);
    for (std::int64_t row = top; row < bottom; ++row) {
        const auto from = static_cast<std::size_t>((row - y) * picture.width + (left - x));
        const auto to = static_cast<std::size_t>(row * bitmap_.width + left);
        std::copy_n(picture.pixels.begin() + static_cast<std::ptrdiff_t>(from), count,
                    bitmap_.pixels.begin() + static_cast<std::ptrdiff_t>(to));
    }
}

void PictureArea::replace(Bitmap bitmap) {
    if (!wellFormed(bitmap)) return;
    bitmap_ = std::move(bitmap);
    drawn_ = true;
    ++version_;
}

void PictureArea::forget() {
    bitmap_ = Bitmap{};
    drawn_ = false;
    ++version_;
}

Bitmap PictureArea::shown() const {
    if (drawn_) return bitmap_;
    return filled(areaWidth_, areaHeight_, kBackground);
}

}  // namespace vornal
