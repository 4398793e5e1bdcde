#include <filesystem>
#include <string>

#include "common/SjisText.h"
#include "player/author/GameWatcher.h"

namespace vornal {

bool IsDataFileName(const std::string& name) {
    const std::string extension =
        sjis::upperAscii(std::filesystem::path(name).extension().string());
    return extension == ".BMP" || extension == ".JPG" || extension == ".JPEG" ||
           extension == ".WAV" || extension == ".MID";
}

}  // namespace vornal
