#include "player/core/DataFiles.h"

#include <system_error>

#include "common/SjisText.h"

namespace vornal {

namespace {

// Position of the last of `delimiters` in a Shift-JIS name, skipping second bytes of
// double-byte characters (0x5C, "\", is one of them); npos when there is none.
std::size_t lastDelimiter(std::string_view name, std::string_view delimiters) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (sjis::isLeadByte(c)) {
            ++i;
        } else if (delimiters.find(static_cast<char>(c)) != std::string_view::npos) {
            found = i;
        }
    }
    return found;
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    }
    return true;
}

// The entry of `folder` that `part` names: itself when it exists, else the first entry in
// byte order that equals it but for letter case.
std::optional<std::string> matchPart(const std::filesystem::path& folder, const std::string& part) {
    std::error_code error;
    if (std::filesystem::exists(folder / part, error)) return part;
    std::optional<std::string> best;
    std::filesystem::directory_iterator it(folder, error);
    if (error) return std::nullopt;
    for (const auto& entry : it) {
        std::string name = entry.path().filename().string();
        if (equalsIgnoringAsciiCase(name, part) && (!best || name < *best)) best = std::move(name);
    }
    return best;
}

}  // namespace

std::string WithDefaultExtension(std::string_view name, std::string_view extension) {
    if (!ExtensionOf(name).empty()) return std::string(name);
    return std::string(name) + std::string(extension);
}

std::string_view FileNamePart(std::string_view name) {
    const std::size_t delimiter = lastDelimiter(name, "\\:");
    return delimiter == std::string_view::npos ? name : name.substr(delimiter + 1);
}

std::string_view ExtensionOf(std::string_view name) {
    const std::string_view file = FileNamePart(name);
    const std::size_t dot = lastDelimiter(file, ".");
    return dot == std::string_view::npos ? std::string_view{} : file.substr(dot);
}

std::filesystem::path DataFilePath(std::string_view name) {
    std::string utf8 = sjis::toUtf8(name);
    for (char& c : utf8) {
        if (c == '\\') c = '/';
    }
    // Windows joins the folder and the name as text, so a leading separator stays inside
    // the folder; here it would make the path absolute.
    const std::size_t start = utf8.find_first_not_of('/');
    return std::filesystem::path(start == std::string::npos ? std::string() : utf8.substr(start));
}

std::optional<std::filesystem::path> FindCaseBlind(const std::filesystem::path& folder,
                                                   const std::filesystem::path& relative) {
    std::error_code error;
    if (std::filesystem::exists(folder / relative, error)) return folder / relative;
    std::filesystem::path found = folder;
    for (const auto& part : relative) {
        const std::string text = part.string();
        if (text.empty() || text == "." || text == "..") {
            found /= part;
            continue;
        }
        const std::optional<std::string> match = matchPart(found, text);
        if (!match) return std::nullopt;
        found /= *match;
    }
    return found;
}

}  // namespace vornal
