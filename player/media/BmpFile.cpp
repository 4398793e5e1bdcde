// Windows bitmaps through Qt's BMP reader. The reader takes every form Windows
// writes: 1, 4 and 8 bits with palettes, RLE4 and RLE8, 16 and 32 bits with or without
// bit fields, 24 bits, bottom-up and top-down rows, and the old OS/2 header.
#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <cstdint>
#include <optional>
#include <string>

#include "player/media/PictureFiles.h"
#include "player/media/QtBitmap.h"

namespace vornal {

namespace {

// Qt's own ceiling on one image, in MiB: a 64 Mpixel picture at 32 bits is 256 MiB.
constexpr int kQtAllocationLimitMiB = 256;

// File header (14 bytes), then the bitmap header, which begins with its own size.
constexpr std::size_t kHeaderSizeAt = 14;
constexpr std::size_t kWidthAt = 18;
constexpr std::uint32_t kCoreHeaderSize = 12;  // OS/2: 16-bit width and height
constexpr std::uint32_t kInfoHeaderSize = 40;  // and the larger ones that extend it

std::uint32_t readLE16(std::span<const Byte> data, std::size_t at) {
    return std::uint32_t{data[at]} | std::uint32_t{data[at + 1]} << 8;
}

std::uint32_t readLE32(std::span<const Byte> data, std::size_t at) {
    return readLE16(data, at) | readLE16(data, at + 2) << 16;
}

struct Size {
    std::int64_t width;
    std::int64_t height;
};

// What the headers declare, read here because Qt's reader tells the size only by
// decoding. Never reads outside `data`; nullopt when the headers are not there.
std::optional<Size> declaredSize(std::span<const Byte> data) {
    if (data.size() < kWidthAt + 8 || data[0] != 'B' || data[1] != 'M') return std::nullopt;
    const std::uint32_t header = readLE32(data, kHeaderSizeAt);
    if (header == kCoreHeaderSize)
        return Size{readLE16(data, kWidthAt), readLE16(data, kWidthAt + 2)};
    if (header < kInfoHeaderSize) return std::nullopt;
    const auto width = static_cast<std::int32_t>(readLE32(data, kWidthAt));
    const auto height = static_cast<std::int32_t>(readLE32(data, kWidthAt + 4));
    // A negative height is a top-down bitmap of that many rows.
    return Size{width, height < 0 ? -std::int64_t{height} : height};
}

std::string reason(const QImageReader& reader) {
    return reader.errorString().toStdString();
}

}  // namespace

Bitmap decodeBmp(std::span<const Byte> data, const PictureLimits& limits) {
    // No copy: the buffer only reads `data` while this function runs.
    const std::optional<Size> size = declaredSize(data);
    if (!size) throw PictureError("not a Windows bitmap");
    limits.check(size->width, size->height);
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
