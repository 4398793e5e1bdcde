// Between the engine's Bitmap (0x00RRGGBB, no alpha) and Qt's QImage.
#pragma once

#include <QImage>

#include "player/core/Media.h"

namespace vornal {

// A Format_RGB32 image of the same size (null for an empty bitmap).
QImage toQImage(const Bitmap& bitmap);

// Colours only: an alpha channel is ignored, as Windows ignores it when it copies a
// bitmap onto a canvas.
Bitmap fromQImage(const QImage& image);

}  // namespace vornal
