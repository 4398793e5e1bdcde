// Watches a game's files for live reload (inotify): the script or archive itself, and the
// data files (pictures, sounds, music) in its folder and the folders below. A file counts
// when it has been written and closed, or put in place by a rename, so that both ways
// editors save are seen once the file is complete. Save files, editors' backups and
// temporary files do not count, nor do hidden folders.
//
// No thread: the owner waits on fd() with its other descriptors and calls takeChanges()
// when it is readable (the terminal polls it, the window uses a QSocketNotifier).
#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace vornal {

class GameWatcher {
public:
    // Throws std::system_error when the folder cannot be watched.
    explicit GameWatcher(const std::filesystem::path& game);
    ~GameWatcher();
    GameWatcher(const GameWatcher&) = delete;
    GameWatcher& operator=(const GameWatcher&) = delete;

    int fd() const { return fd_; }
    // Reads every event queued so far, without blocking; true when one concerns the game.
    bool takeChanges();

    // Folders below the game's that are watched at most: a game is a few folders, and
    // each watch costs the kernel memory.
    static constexpr std::size_t kMaxFolders = 256;

private:
    void watchTree(const std::filesystem::path& folder);
    void watchFolder(const std::filesystem::path& folder);
    bool concernsGame(const std::filesystem::path& folder, const std::string& name) const;

    int fd_ = -1;
    std::filesystem::path gameFolder_;
    std::string gameName_;
    std::map<int, std::filesystem::path> folders_;  // watch descriptor -> folder
};

// Whether a file of this name is one of the data files a game may use.
bool IsDataFileName(const std::string& name);

}  // namespace vornal
