// A walkthrough: the commands and answers that play a game through, with what must (and
// must not) be shown on the way and where the game must stand (docs/walkthrough.md).
// Read from a file the author writes: UTF-8 or Shift-JIS, recognised as scripts are.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace vornal {

struct Expectation {
    enum class Kind : std::uint8_t {
        Shown,     // a line containing `text` was shown
        NotShown,  // no line containing `text` was shown
        Scene,     // the current scene is named `text`
        Flag,      // flag `number` holds `value`
        Item,      // the item named `text` holds `value`
    };
    Kind kind = Kind::Shown;
    int line = 0;      // in the walkthrough, from 1
    std::string text;  // UTF-8 for Shown and NotShown, else the game's Shift-JIS
    std::int32_t number = 0;
    std::int32_t value = 0;
};

struct WalkAnswer {
    int line = 0;
    std::string text;  // Shift-JIS
};

// A typed command (none for the game's opening) with the answers to the questions it
// leads to, and what must hold once the game waits for the next command.
struct WalkStep {
    int line = 0;                        // of the command; 0 for the opening
    std::optional<std::string> command;  // Shift-JIS
    std::vector<WalkAnswer> answers;
    std::vector<Expectation> expectations;
};

struct Walkthrough {
    std::optional<std::uint32_t> seed;
    std::vector<WalkStep> steps;  // the opening first
};

class WalkthroughError : public std::runtime_error {
public:
    WalkthroughError(int line, const std::string& message)
        : std::runtime_error(message), line(line) {}
    int line;
};

// Throws WalkthroughError naming the line of a line it does not understand.
Walkthrough ParseWalkthrough(std::span<const std::uint8_t> text);

}  // namespace vornal
