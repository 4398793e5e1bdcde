// Types a log's queued input into an engine on the fast clock: a *WAIT's ticks come at
// once, and a command typed during a pause (with the command line left enabled) is taken
// at once, as vnplayer --tty --fast takes piped input. Live reload and walkthroughs use it.
//
// The engine's host must answer questions from the same log (InputLog::nextAnswer) while
// it replays, and must not wait for sounds.
#pragma once

#include <cstddef>
#include <functional>

#include "player/author/InputLog.h"
#include "player/core/Engine.h"

namespace vornal {

struct ReplayLimits {
    // A game that never comes back for a command is left running after this many slices
    // of its pass (each up to a few thousand lines) or game timer ticks.
    std::size_t slices = 2'000;
    std::size_t ticks = 100'000;
};

enum class ReplayEnd {
    Done,      // the game waits for a command and none is queued, or has stopped for good
    Diverged,  // the game asked a question the log had no answer for
    Runaway,   // the limits ran out with the game still running
};

// `tick` is called before each game timer tick (the terminal moves simulated music on).
ReplayEnd Replay(Engine& engine, InputLog& log, const std::function<void()>& tick = {},
                 ReplayLimits limits = {});

}  // namespace vornal
