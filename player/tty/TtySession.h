// Drives one engine from the terminal: runs its passes, delivers the game timer's ticks
// and feeds it typed commands, until input ends.
#pragma once

#include <cstdint>
#include <memory>

#include "player/author/GameWatcher.h"
#include "player/author/InputLog.h"
#include "player/core/Engine.h"
#include "player/media/PlayerMedia.h"
#include "player/tty/LineInput.h"
#include "player/tty/TtyHost.h"
#include "player/tty/TtyOptions.h"

namespace vornal::tty {

class TtySession {
public:
    // Throws UnknownOutput for a music output name that means nothing.
    TtySession(const TtyOptions& options, std::FILE* out, int inFd, bool terminal);

    // Opens the game and plays it, then writes the picture area if asked to; returns the
    // exit code (see TtyMain.h).
    int run();

private:
    enum class Step { Continue, InputEnded, Interrupted };

    int play();
    int open();
    void moveSavesIfNeeded();
    Step waitStep();
    Step readCommand();
    void undo();
    // Live reload: the game opened again and what was typed replayed, if it still opens.
    void reload();
    void noteChanges();

    const TtyOptions& options_;
    WakePipe wake_;
    LineInput input_;
    TtyHost host_;
    PlayerMedia media_;
    Engine engine_;
    // --watch only.
    std::unique_ptr<GameWatcher> watcher_;
    InputLog log_;
    std::uint32_t seed_ = 0;
    bool reloadPending_ = false;
};

}  // namespace vornal::tty
