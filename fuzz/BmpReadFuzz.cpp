// Any bytes through the web build's bitmap reader: a picture within the limits whose pixels
// fill its size, or PictureError; nothing else. Its bitmap written by the web build's writer,
// as save files hold it, reads back the same.
#include <cstdint>
#include <span>

#include "fuzz/PictureChecks.h"
#include "player/media/BmpReader.h"
#include "player/media/PictureWriters.h"

using namespace vornal;
using namespace vornal::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bitmap picture;
    try {
        picture = readBmp(std::span<const Byte>(data, size), kPictureLimits);
    } catch (const PictureError&) {
        return 0;
    }
    requireSanePicture(picture);
    const Bitmap back = readBmp(writeBmpFile(picture), kPictureLimits);
    require(back.width == picture.width && back.height == picture.height);
    require(back.pixels == picture.pixels);
    return 0;
}
