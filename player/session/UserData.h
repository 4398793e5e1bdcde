// Where the player keeps what belongs to the user rather than to a game: resume points,
// saves of games whose folder cannot be written, and recorded transcripts, all in the
// user's data folder (XDG base directories). Free of Qt: the terminal uses it as well; the
// window hands in the folder Qt finds.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "codec/Stream.h"

namespace vornal::session {

// $XDG_DATA_HOME/VORNAL, or ~/.local/share/VORNAL; empty when neither is known.
std::filesystem::path dataFolderFromEnvironment();

// A game's part of file names: its script's name and the hash of its script's bytes
// ("demo-0123456789abcdef"), so two games of one name never share a file.
std::string gameStem(const std::filesystem::path& gameFile, std::uint64_t scriptKey);

// Whether files can be created in `folder` (a read-only medium or another user's folder
// cannot).
bool folderWritable(const std::filesystem::path& folder);

// Where a game's saves go: nullopt when its own folder can be written (saves stay beside
// the game); else `dataFolder`/saves/STEM, created here. Throws std::filesystem::
// filesystem_error when that folder cannot be made.
std::optional<std::filesystem::path> savesFolder(const std::filesystem::path& gameFolder,
                                                 const std::filesystem::path& dataFolder,
                                                 const std::string& stem);

// The resume point of one game: `dataFolder`/resume/STEM.resume.
class ResumeStore {
public:
    ResumeStore(const std::filesystem::path& dataFolder, const std::string& stem);

    const std::filesystem::path& file() const { return file_; }
    bool exists() const;
    // The file's bytes; empty when it is missing, unreadable or larger than any resume file.
    std::vector<Byte> read() const;
    // Written to a temporary beside it and renamed over it when complete. Throws
    // StreamError (or filesystem_error for the folder).
    void write(const std::vector<Byte>& bytes) const;
    void remove() const;

private:
    std::filesystem::path file_;
};

}  // namespace vornal::session
