// Picture files written without Qt, for the WebAssembly build: a Windows bitmap laid out
// byte for byte as the desktop writes it through Qt, and a PNG (RGB, 8 bits a channel, its
// image data in stored deflate blocks: large, but nothing to get wrong).
#pragma once

#include <vector>

#include "player/core/Media.h"

namespace vornal {

// 24 bits per pixel, bottom-up, no palette; throws PictureError for an empty bitmap.
std::vector<Byte> writeBmpFile(const Bitmap& bitmap);
// Throws PictureError for an empty bitmap.
std::vector<Byte> writePngFile(const Bitmap& bitmap);

}  // namespace vornal
