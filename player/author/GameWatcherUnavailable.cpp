// Live reload where the system offers no inotify (the WebAssembly build): --watch fails at
// once with the reason instead of leaving the author waiting for changes that never come.
#include <cerrno>
#include <system_error>

#include "player/author/GameWatcher.h"

namespace vornal {

GameWatcher::GameWatcher(const std::filesystem::path&) {
    throw std::system_error(ENOSYS, std::generic_category(),
                            "live reload (--watch) is not available in this build");
}

GameWatcher::~GameWatcher() = default;

bool GameWatcher::takeChanges() {
    return false;
}

}  // namespace vornal
