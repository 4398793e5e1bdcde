#include "player/author/Replay.h"

namespace vornal {

ReplayEnd Replay(Engine& engine, InputLog& log, const std::function<void()>& tick,
                 ReplayLimits limits) {
    std::size_t slices = 0;
    std::size_t ticks = 0;
    for (;;) {
        if (!log.replaying()) return ReplayEnd::Diverged;
        if (engine.HasWork()) {
            if (++slices > limits.slices) return ReplayEnd::Runaway;
            engine.AppIdle();
            continue;
        }
        if (engine.State() == RunState::Wait && !engine.Halted()) {
            if (!engine.GameTimerEnabled()) engine.AppIdle();  // the step that starts the timer
            if (engine.InputEnabled() && log.commandQueued()) {
                engine.ProcessInput(*log.nextCommand());
                continue;
            }
            if (!engine.GameTimerEnabled()) return ReplayEnd::Done;
            if (++ticks > limits.ticks) return ReplayEnd::Runaway;
            if (tick) tick();
            engine.GameTimerTimer();
            continue;
        }
        // Waiting for a command; a stopped game still echoes while its command line is on.
        if (engine.Halted() && !engine.InputEnabled()) return ReplayEnd::Done;
        const std::optional<std::string> command = log.nextCommand();
        if (!command) return ReplayEnd::Done;
        engine.ProcessInput(*command);
    }
}

}  // namespace vornal
