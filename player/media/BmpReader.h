// Windows bitmaps without Qt: the reader of the WebAssembly build, which decodes exactly as
// the desktop's reader (Qt's QImageReader behind decodeBmp, BmpFile.cpp) does, the same
// files refused and the same pixels for every form: 1, 4 and 8 bits with palettes, RLE4
// and RLE8, 16 and 32 bits with or without bit fields, 24 bits, bottom-up and top-down, the
// OS/2 header. tests/media/BmpReaderTest.cpp holds the two side by side.
//
// Never reads outside `data`; refuses (PictureError) before allocating anything for a
// picture whose header declares more than the limits.
#pragma once

#include <span>

#include "player/media/PictureFiles.h"

namespace vornal {

Bitmap readBmp(std::span<const Byte> data, const PictureLimits& limits);

// The check both readers make before decoding: a bitmap's headers, and its declared size
// within `limits`. Throws PictureError.
void checkBmpHeaders(std::span<const Byte> data, const PictureLimits& limits);

}  // namespace vornal
