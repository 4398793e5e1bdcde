// Any bytes as a BMP and as a JPEG file: a picture within the limits whose pixels fill its
// size, or PictureError; nothing else. A decoded bitmap written the way save files hold it
// reads back the same.
#include <cstdint>
#include <span>

#include "fuzz/PictureChecks.h"
#include "player/media/PictureFiles.h"

using namespace vornal;
using namespace vornal::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const PictureFiles files(kPictureLimits);
    const std::span<const Byte> bytes(data, size);
    for (const PictureFormat format : {PictureFormat::Bmp, PictureFormat::Jpeg}) {
        Bitmap picture;
        try {
            picture = files.decode(bytes, format);
        } catch (const PictureError&) {
            continue;
        }
        requireSanePicture(picture);
        const Bitmap back = files.decode(files.encodeBmp(picture), PictureFormat::Bmp);
        require(back.width == picture.width && back.height == picture.height);
        require(back.pixels == picture.pixels);
    }
    return 0;
}
