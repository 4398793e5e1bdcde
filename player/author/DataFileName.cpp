#include <filesystem>
#include <string>

#include "player/author/GameWatcher.h"

namespace vornal {

namespace {

std::string lowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

bool IsDataFileName(const std::string& name) {
    const std::string extension = lowerAscii(std::filesystem::path(name).extension().string());
    return extension == ".bmp" || extension == ".jpg" || extension == ".jpeg" ||
           extension == ".wav" || extension == ".mid";
}

}  // namespace vornal
