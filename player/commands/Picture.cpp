// *PICTURE: a BMP or JPEG picture drawn into the picture area.
#include <exception>

#include "common/SjisText.h"
#include "player/core/DataFiles.h"
#include "player/core/EngineImpl.h"
#include "player/core/ScriptText.h"

namespace vornal {

namespace {

std::optional<PictureFormat> formatOf(std::string_view name) {
    const std::string extension = sjis::upperAscii(ExtensionOf(name));
    if (extension == ".BMP") return PictureFormat::Bmp;
    if (extension == ".JPG" || extension == ".JPEG") return PictureFormat::Jpeg;
    return std::nullopt;
}

}  // namespace

void Engine::Impl::CmdPicture(std::string_view line) {
    host.traceEvent("picture", line);
    const std::string name = WithDefaultExtension(GetToken(line, ' ', 1), ".bmp");
    const std::optional<std::vector<Byte>> data = GetDataFile(name, DataKind::Picture);
    if (!data) return;
    // Any other kind of file is quietly not drawn.
    const std::optional<PictureFormat> format = formatOf(name);
    if (!format) return;
    Bitmap picture;
    try {
        if (!Media.pictures) throw PictureError("no picture decoder");
        picture = Media.pictures->decode(*data, *format);
    } catch (const std::exception&) {
        // Damaged, too large, or more than memory holds: reported like a file not read.
        DataFileFailed(name);
        return;
    }
    std::int32_t x = 0;
    std::int32_t y = 0;
    if (CountTokens(line, ' ') == 4) {
        x = EvalOperand(GetToken(line, ' ', 2), false);
        y = EvalOperand(GetToken(line, ' ', 3), false);
    }
    GrpImage.draw(picture, x, y);
    PictureName = name;
    host.pictureChanged();
}

}  // namespace vornal
