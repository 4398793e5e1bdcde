// Matching a typed command against the command patterns in force.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "player/core/ScriptModel.h"

namespace vornal {

// The block line of the best pattern: every word of it must occur in the text (any of its
// "/" alternatives, as a run of bytes anywhere); more words score higher, and on a tie the
// later pattern wins. A pattern without words never matches. Text that matches nothing is
// tried once more as "NOMATCH".
std::optional<std::int32_t> MatchCommand(const TCmdList& commands, std::string_view text);

}  // namespace vornal
