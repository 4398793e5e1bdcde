#include "player/session/UserData.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "codec/PendingFile.h"
#include "player/core/ResumeFile.h"

namespace vornal::session {

namespace {

// The largest resume file: its members at their limits, and the bundle around them.
constexpr std::int64_t kMaxResumeBytes =
    save::kMaxPictureBytes + save::kMaxStateBytes + resume::kMaxSessionBytes + (1 << 16);

}  // namespace

std::filesystem::path dataFolderFromEnvironment() {
    // Relative values are to be ignored, as the base directory rules say.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        return std::filesystem::path(xdg) / "VORNAL";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".local" / "share" / "VORNAL";
    return {};
}

std::string gameStem(const std::filesystem::path& gameFile, std::uint64_t scriptKey) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(scriptKey));
    return gameFile.stem().string() + "-" + hex;
}

bool folderWritable(const std::filesystem::path& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::optional<std::filesystem::path> savesFolder(const std::filesystem::path& gameFolder,
                                                 const std::filesystem::path& dataFolder,
                                                 const std::string& stem) {
    if (folderWritable(gameFolder) || dataFolder.empty()) return std::nullopt;
    std::filesystem::path folder = dataFolder / "saves" / stem;
    std::filesystem::create_directories(folder);
    return folder;
}

ResumeStore::ResumeStore(const std::filesystem::path& dataFolder, const std::string& stem)
    : file_(dataFolder / "resume" / (stem + ".resume")) {}

bool ResumeStore::exists() const {
    std::error_code error;
    return std::filesystem::is_regular_file(file_, error);
}

std::vector<Byte> ResumeStore::read() const {
    try {
        if (!exists()) return {};
        FileStream stream(file_, FileStream::Mode::read);
        if (stream.size() > kMaxResumeBytes) return {};
        std::vector<Byte> bytes(static_cast<std::size_t>(stream.size()));
        stream.readExact(bytes);
        return bytes;
    } catch (const StreamError&) {
        return {};
    }
}

void ResumeStore::write(const std::vector<Byte>& bytes) const {
    std::filesystem::create_directories(file_.parent_path());
    PendingFile pending(file_);
    pending.stream().writeExact(bytes);
    pending.commit();
}

void ResumeStore::remove() const {
    std::error_code error;
    std::filesystem::remove(file_, error);
}

}  // namespace vornal::session
