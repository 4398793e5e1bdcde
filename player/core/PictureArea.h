// The picture area: the size of the window's picture control and the bitmap the game has
// drawn into it. Engine state, because *SAVE and *LOAD keep it; hosts only show it.
#pragma once

#include <cstdint>

#include "player/core/Media.h"

namespace vornal {

class PictureArea {
public:
    static constexpr int kDefaultWidth = 270;
    static constexpr int kDefaultHeight = 183;
    // Where nothing was ever drawn the window's face shows through.
    static constexpr std::uint32_t kBackground = 0xF0F0F0;
    // A new bitmap starts white; pictures then cover parts of it.
    static constexpr std::uint32_t kNewBitmapFill = 0xFFFFFF;

    // *SCREEN: the control's size. The bitmap, once made, keeps its own size.
    void setAreaSize(int width, int height);
    int areaWidth() const { return areaWidth_; }
    int areaHeight() const { return areaHeight_; }

    bool hasBitmap() const { return drawn_; }
    // The bitmap; empty (0 x 0) until the first drawing or load.
    const Bitmap& bitmap() const { return bitmap_; }
    // Grows whenever the bitmap may have changed: a copy taken at one version is the
    // bitmap for as long as the version stays.
    std::uint64_t version() const { return version_; }

    // Copies `picture` unscaled with its top left corner at (x, y), clipped to the bitmap,
    // which the first drawing creates at the area's current size.
    void draw(const Bitmap& picture, std::int64_t x, std::int64_t y);
    // Replaces the bitmap and its size (a loaded game's picture).
    void replace(Bitmap bitmap);
    // Back to an area where nothing was ever drawn (a loaded game that had none).
    void forget();
    // What the area shows: the bitmap, or, before any drawing, the area's size in the
    // background colour.
    Bitmap shown() const;

private:
    int areaWidth_ = kDefaultWidth;
    int areaHeight_ = kDefaultHeight;
    bool drawn_ = false;
    Bitmap bitmap_;
    std::uint64_t version_ = 0;
};

}  // namespace vornal
