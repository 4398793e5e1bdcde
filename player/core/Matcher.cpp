#include "player/core/Matcher.h"

namespace vornal {

namespace {

constexpr std::string_view kNoMatch = "NOMATCH";

bool wordOccurs(const std::vector<std::string>& alternatives, std::string_view text) {
    for (const auto& alternative : alternatives) {
        if (text.find(alternative) != std::string_view::npos) return true;
    }
    return false;
}

const SGameCmd* bestMatch(const TCmdList& commands, std::string_view text) {
    const SGameCmd* best = nullptr;
    int bestScore = 0;
    for (const SGameCmd* cmd : commands) {
        if (cmd->WordCount == 0) continue;
        bool all = true;
        for (int w = 0; w < cmd->WordCount && all; ++w)
            all = wordOccurs(cmd->Alternatives[w], text);
        if (all && cmd->WordCount >= bestScore) {
            best = cmd;
            bestScore = cmd->WordCount;
        }
    }
    return best;
}

}  // namespace

std::optional<std::int32_t> MatchCommand(const TCmdList& commands, std::string_view text) {
    const SGameCmd* best = bestMatch(commands, text);
    if (!best && text != kNoMatch) best = bestMatch(commands, kNoMatch);
    if (!best) return std::nullopt;
    return best->Line;
}

}  // namespace vornal
