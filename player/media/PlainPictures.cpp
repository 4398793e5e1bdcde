// The pictures of the WebAssembly build, which has no Qt: BMP read by BmpReader.h, PNG and
// BMP written by PictureWriters.h.
#include "player/media/BmpReader.h"
#include "player/media/PictureFiles.h"
#include "player/media/PictureWriters.h"

namespace vornal {

Bitmap decodeBmp(std::span<const Byte> data, const PictureLimits& limits) {
    return readBmp(data, limits);
}

std::vector<Byte> encodePictureFile(const Bitmap& bitmap, PictureFileFormat format) {
    return format == PictureFileFormat::Png ? writePngFile(bitmap) : writeBmpFile(bitmap);
}

}  // namespace vornal
