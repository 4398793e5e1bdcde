#include "player/qt/LiveReload.h"

namespace vornal::qt {

LiveReload::LiveReload(const std::filesystem::path& game, std::function<void()> changed,
                       QObject* parent)
    : QObject(parent),
      watcher_(game),
      notifier_(watcher_.fd(), QSocketNotifier::Read),
      changed_(std::move(changed)) {
    connect(&notifier_, &QSocketNotifier::activated, this, [this] {
        if (watcher_.takeChanges()) changed_();
    });
}

}  // namespace vornal::qt
