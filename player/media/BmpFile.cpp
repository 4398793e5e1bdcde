// Windows bitmaps through Qt's BMP reader. The reader takes every form Windows
// writes: 1, 4 and 8 bits with palettes, RLE4 and RLE8, 16 and 32 bits with or without
// bit fields, 24 bits, bottom-up and top-down rows, and the old OS/2 header.
#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <string>

#include "player/media/BmpReader.h"
#include "player/media/PictureFiles.h"
#include "player/media/QtBitmap.h"

namespace vornal {

namespace {

// Qt's own ceiling on one image, in MiB: a 64 Mpixel picture at 32 bits is 256 MiB.
constexpr int kQtAllocationLimitMiB = 256;

std::string reason(const QImageReader& reader) {
    return reader.errorString().toStdString();
}

}  // namespace

Bitmap decodeBmp(std::span<const Byte> data, const PictureLimits& limits) {
    checkBmpHeaders(data, limits);
    // No copy: the buffer only reads `data` while this function runs.
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                               static_cast<qsizetype>(data.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    // A file named .bmp is read as a bitmap and nothing else, as Windows does.
    QImageReader reader(&buffer, "bmp");
    reader.setDecideFormatFromContent(false);
    reader.setAllocationLimit(kQtAllocationLimitMiB);
    QImage image;
    if (!reader.read(&image)) throw PictureError("damaged Windows bitmap: " + reason(reader));
    return fromQImage(image);
}

}  // namespace vornal
