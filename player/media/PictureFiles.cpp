#include "player/media/PictureFiles.h"

#include <QBuffer>
#include <QByteArray>
#include <exception>
#include <string>

#include "codec/PendingFile.h"
#include "common/SjisText.h"
#include "player/media/QtBitmap.h"

namespace vornal {

namespace {

std::vector<Byte> encodeImage(const Bitmap& bitmap, const char* format) {
    const QImage image = toQImage(bitmap);
    if (image.isNull()) throw PictureError("an empty picture cannot be written");
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format)) {
        throw PictureError(std::string("the picture could not be encoded as ") + format);
    }
    return std::vector<Byte>(bytes.begin(), bytes.end());
}

const char* fileFormat(const std::filesystem::path& file) {
    const std::string extension = sjis::upperAscii(file.extension().string());
    if (extension == ".PNG") return "PNG";
    if (extension == ".BMP") return "BMP";
    return nullptr;
}

}  // namespace

void PictureLimits::check(std::int64_t width, std::int64_t height) const {
    if (width <= 0 || height <= 0) {
        throw PictureError("the picture declares no pixels (" + std::to_string(width) + " x " +
                           std::to_string(height) + ")");
    }
    if (width > maxSide || height > maxSide || width * height > maxPixels) {
        throw PictureError("the picture is too large (" + std::to_string(width) + " x " +
                           std::to_string(height) + ")");
    }
}

Bitmap PictureFiles::decode(std::span<const Byte> data, PictureFormat format) const {
    return format == PictureFormat::Jpeg ? decodeJpeg(data, limits_) : decodeBmp(data, limits_);
}

std::vector<Byte> PictureFiles::encodeBmp(const Bitmap& bitmap) const {
    // Qt writes an image without a palette as 24 bits per pixel, bottom-up.
    return encodeImage(bitmap, "BMP");
}

bool isPictureFileName(const std::filesystem::path& file) {
    return fileFormat(file) != nullptr;
}

void writePictureFile(const Bitmap& bitmap, const std::filesystem::path& file) {
    const char* format = fileFormat(file);
    if (!format) throw PictureError(file.string() + ": not a .png or .bmp file name");
    std::vector<Byte> bytes;
    try {
        bytes = encodeImage(bitmap, format);
    } catch (const PictureError& error) {
        throw PictureError(file.string() + ": " + error.what());
    }
    try {
        PendingFile pending(file);
        pending.stream().writeExact(bytes);
        pending.commit();
    } catch (const StreamError& error) {
        throw PictureError(error.what());  // names the file already
    }
}

}  // namespace vornal
