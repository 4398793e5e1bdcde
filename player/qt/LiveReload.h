// The window's side of live reload: watches the game's files (player/author/GameWatcher)
// from the event loop and says when they changed. TForm1 does the reopening.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <filesystem>
#include <functional>
#include <memory>

#include "player/author/GameWatcher.h"

namespace vornal::qt {

class LiveReload : public QObject {
public:
    // `changed` is called from the event loop, once for the events read together.
    LiveReload(const std::filesystem::path& game, std::function<void()> changed,
               QObject* parent = nullptr);

private:
    GameWatcher watcher_;
    QSocketNotifier notifier_;
    std::function<void()> changed_;
};

}  // namespace vornal::qt
