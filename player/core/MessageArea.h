// The message area's lines. The engine owns them (they are trimmed and cleared by game
// rules); the host keeps a view in step through the Host calls made here.
#pragma once

#include <cstddef>
#include <deque>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "player/core/Host.h"

namespace vornal {

class MessageArea {
public:
    // Before an echo: more than this many lines are cut down to kKeepBeforeEcho.
    static constexpr std::size_t kTrimAbove = 1000;
    static constexpr std::size_t kKeepBeforeEcho = 999;
    // A script that prints in a loop must not grow the area without bound: past either
    // limit the oldest lines go until half of it is left.
    static constexpr std::size_t kMaxLines = 100'000;
    static constexpr std::size_t kMaxBytes = 16u << 20;

    explicit MessageArea(Host& host) : host_(host) {}

    void append(std::string line);
    // Several lines in one addition (one Host call).
    void appendLines(std::span<std::string> lines);
    void trimBeforeEcho();
    void clear();
    // The area becomes `lines` (a game taken back or resumed): cleared, then one addition.
    void replace(std::vector<std::string> lines);

    const std::deque<std::string>& lines() const { return lines_; }

private:
    void removeFromTop(std::size_t count);
    void enforceLimits();

    Host& host_;
    std::deque<std::string> lines_;
    std::size_t bytes_ = 0;
};

}  // namespace vornal
