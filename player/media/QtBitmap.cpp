#include "player/media/QtBitmap.h"

#include <QBuffer>
#include <QByteArray>
#include <algorithm>
#include <string>

#include "player/media/PictureFiles.h"

namespace vornal {

QImage toQImage(const Bitmap& bitmap) {
    if (bitmap.width <= 0 || bitmap.height <= 0) return {};
    QImage image(bitmap.width, bitmap.height, QImage::Format_RGB32);
    if (image.isNull()) return {};
    const auto width = static_cast<std::size_t>(bitmap.width);
    for (int y = 0; y < bitmap.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        const auto from = bitmap.pixels.begin() +
                          static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * width);
        std::transform(from, from + static_cast<std::ptrdiff_t>(width), row,
                       [](std::uint32_t rgb) { return rgb | 0xFF000000u; });
    }
    return image;
}

Bitmap fromQImage(const QImage& image) {
    // Straight (not premultiplied) alpha, so that masking it off leaves the colours.
    const QImage argb =
        image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_RGB32
            ? image
            : image.convertToFormat(QImage::Format_ARGB32);
    Bitmap bitmap;
    bitmap.width = argb.width();
    bitmap.height = argb.height();
    const auto width = static_cast<std::size_t>(bitmap.width);
    bitmap.pixels.resize(width * static_cast<std::size_t>(bitmap.height));
    for (int y = 0; y < bitmap.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(argb.constScanLine(y));
        std::transform(row, row + width,
                       bitmap.pixels.begin() +
                           static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * width),
                       [](std::uint32_t argbPixel) { return argbPixel & 0x00FFFFFFu; });
    }
    return bitmap;
}

std::vector<Byte> encodePictureFile(const Bitmap& bitmap, PictureFileFormat format) {
    const char* name = format == PictureFileFormat::Png ? "PNG" : "BMP";
    const QImage image = toQImage(bitmap);
    if (image.isNull()) throw PictureError("an empty picture cannot be written");
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Qt writes an image without a palette as a bitmap of 24 bits per pixel, bottom-up.
    if (!image.save(&buffer, name)) {
        throw PictureError(std::string("the picture could not be encoded as ") + name);
    }
    return std::vector<Byte>(bytes.begin(), bytes.end());
}

}  // namespace vornal
