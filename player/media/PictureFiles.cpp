#include "player/media/PictureFiles.h"

#include <exception>
#include <optional>
#include <string>

#include "codec/PendingFile.h"
#include "common/SjisText.h"

namespace vornal {

namespace {

std::optional<PictureFileFormat> fileFormat(const std::filesystem::path& file) {
    const std::string extension = sjis::upperAscii(file.extension().string());
    if (extension == ".PNG") return PictureFileFormat::Png;
    if (extension == ".BMP") return PictureFileFormat::Bmp;
    return std::nullopt;
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
    return encodePictureFile(bitmap, PictureFileFormat::Bmp);
}

bool isPictureFileName(const std::filesystem::path& file) {
    return fileFormat(file).has_value();
}

void writePictureFile(const Bitmap& bitmap, const std::filesystem::path& file) {
    const std::optional<PictureFileFormat> format = fileFormat(file);
    if (!format) throw PictureError(file.string() + ": not a .png or .bmp file name");
    std::vector<Byte> bytes;
    try {
        bytes = encodePictureFile(bitmap, *format);
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
