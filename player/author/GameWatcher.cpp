#include "player/author/GameWatcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace vornal {

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kFileEvents = IN_CLOSE_WRITE | IN_MOVED_TO;
// A folder made (or moved in) later is watched too.
constexpr std::uint32_t kEvents = kFileEvents | IN_CREATE;

}  // namespace

GameWatcher::GameWatcher(const fs::path& game) {
    std::error_code error;
    const fs::path full = fs::absolute(game, error);
    gameFolder_ = (error ? game : full).parent_path();
    gameName_ = game.filename().string();
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "inotify");
    watchFolder(gameFolder_);
    if (folders_.empty()) {
        const int failure = errno;
        ::close(fd_);
        throw std::system_error(failure, std::generic_category(),
                                "cannot watch " + gameFolder_.string());
    }
    watchTree(gameFolder_);
}

GameWatcher::~GameWatcher() {
    ::close(fd_);
}

void GameWatcher::watchFolder(const fs::path& folder) {
    if (folders_.size() >= kMaxFolders) return;
    const int wd = ::inotify_add_watch(fd_, folder.c_str(), kEvents);
    if (wd >= 0) folders_[wd] = folder;
}

void GameWatcher::watchTree(const fs::path& folder) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with('.') || !it->is_directory(error) || it->is_symlink(error)) continue;
        if (folders_.size() >= kMaxFolders) return;
        watchFolder(it->path());
        watchTree(it->path());
    }
}

bool GameWatcher::concernsGame(const fs::path& folder, const std::string& name) const {
    if (folder == gameFolder_ && name == gameName_) return true;
    return !name.starts_with('.') && IsDataFileName(name);
}

bool GameWatcher::takeChanges() {
    bool changed = false;
    alignas(inotify_event) std::array<char, 16 * 1024> buffer;
    for (;;) {
        const ssize_t got = ::read(fd_, buffer.data(), buffer.size());
        if (got <= 0) break;  // EAGAIN: nothing more queued
        for (ssize_t at = 0; at < got;) {
            inotify_event event;
            std::memcpy(&event, buffer.data() + at, sizeof event);
            const std::string name =
                event.len > 0 ? std::string(buffer.data() + at + sizeof event) : std::string();
            at += static_cast<ssize_t>(sizeof event + event.len);
            // Events were lost: whatever they were, look again.
            if (event.mask & IN_Q_OVERFLOW) changed = true;
            const auto folder = folders_.find(event.wd);
            if (event.mask & IN_IGNORED) {
                if (folder != folders_.end()) folders_.erase(folder);
                continue;
            }
            if (folder == folders_.end() || name.empty()) continue;
            if (event.mask & IN_ISDIR) {
                if ((event.mask & (IN_CREATE | IN_MOVED_TO)) && !name.starts_with('.')) {
                    watchFolder(folder->second / name);
                    watchTree(folder->second / name);
                }
                continue;
            }
            if ((event.mask & kFileEvents) && concernsGame(folder->second, name)) changed = true;
        }
    }
    return changed;
}

}  // namespace vornal
