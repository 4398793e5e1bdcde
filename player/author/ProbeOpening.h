// Whether a game opens, tried on an engine of its own: live reload reopens the running
// game only when the changed files open, so a script broken in the middle of an edit
// leaves the game as it was.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "common/ScriptEncoding.h"

namespace vornal {

// nullopt when `game` opens; else why not, in the engine's words (Shift-JIS).
std::optional<std::string> WhyGameDoesNotOpen(const std::filesystem::path& game,
                                              std::optional<ScriptEncoding> encoding);

}  // namespace vornal
