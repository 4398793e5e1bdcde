// Plays a walkthrough against a game on the fast clock and checks its expectations
// (docs/walkthrough.md). The first expectation that fails ends the run.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/ScriptEncoding.h"
#include "player/author/Walkthrough.h"
#include "player/core/Media.h"

namespace vornal {

struct WalkOptions {
    std::optional<ScriptEncoding> encoding;  // the game's, else detected
    std::optional<std::uint32_t> seed;       // over the walkthrough's own; else 0
    MediaServices media;                     // pictures are drawn as in play
    std::function<void()> tick;              // before each game timer tick
};

struct WalkFailure {
    int line = 0;         // in the walkthrough; 0 when the game does not open
    std::string message;  // UTF-8
    // What the step showed, as the terminal writes it (docs/vnplayer-tty.md).
    std::vector<std::string> shown;
};

struct WalkResult {
    std::size_t commands = 0;      // commands typed
    std::size_t expectations = 0;  // expectations met
    std::optional<WalkFailure> failure;
};

WalkResult RunWalkthrough(const Walkthrough& walk, const std::filesystem::path& game,
                          const WalkOptions& options);

}  // namespace vornal
