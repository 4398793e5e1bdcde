#include "player/core/Matcher.h"

#include <gtest/gtest.h>

namespace vornal {
namespace {

struct Patterns {
    std::vector<SGameCmd> records;
    TCmdList list;
    explicit Patterns(std::vector<std::string> lines) {
        // Block line = 10 * (position + 1), so results name the pattern.
        for (std::size_t i = 0; i < lines.size(); ++i)
            records.push_back(AddCommand(lines[i], static_cast<std::int32_t>(10 * (i + 1))));
        for (const auto& r : records)
            list.push_back(&r);
    }
};

struct MatchCase {
    std::vector<std::string> patterns;
    std::string typed;
    std::optional<std::int32_t> block;
};

TEST(Matcher, ScoresTiesAndCatchAll) {
    const std::vector<MatchCase> cases = {
        {{">look"}, "look around", 10},
        {{">look"}, "LOOK", std::nullopt},
        {{">open", ">open door"}, "open the door", 20},
        {{">open door", ">open"}, "open the door", 10},  // two words beat one
        {{">open", ">open door"}, "open box", 10},
        {{">look/see"}, "see the room", 10},
        {{">look/\tsee"}, "see", 10},           // control characters after "/" are skipped
        {{">open door"}, "door, open it", 10},  // order and position do not matter
        {{">key"}, "monkey", 10},
        {{">look", ">look"}, "look", 20},     // the later pattern wins a tie
        {{">a b c d e f"}, "a b c d e", 10},  // the sixth word is not tested
        {{">a b c d e f", ">a b c d"}, "a b c d e", 10},
        {{">NOMATCH", ">look"}, "dance", 10},
        {{">NO"}, "xyz", 10},  // "NO" is contained in "NOMATCH"
        {{">look"}, "NOMATCH", std::nullopt},
        {{">look"}, "", std::nullopt},
        {{">NOMATCH"}, "", 10},             // an empty command goes to the catch-all
        {{">"}, "anything", std::nullopt},  // no words: never matches
        {{">look", ">"}, "look", 10},
        {{"> look"}, "look", std::nullopt},
        {{">look/"}, "x", std::nullopt},  // an empty alternative matches nothing
        // Containment is on bytes: a word may straddle two double-byte characters.
        {{">\x82\xa0"}, "\x88\x82\xa0\x82", 10},
    };
    for (const auto& c : cases) {
        Patterns p(c.patterns);
        EXPECT_EQ(MatchCommand(p.list, c.typed), c.block)
            << c.typed << " against " << c.patterns.front();
    }
}

}  // namespace
}  // namespace vornal
