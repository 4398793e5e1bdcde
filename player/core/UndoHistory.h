// The typed commands that can be taken back, newest last, each with the snapshot of the
// game just before it. Bounded in levels and in memory: past either bound the oldest go.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

#include "player/core/Snapshot.h"

namespace vornal {

class UndoHistory {
public:
    static constexpr std::size_t kMaxLevels = 128;
    static constexpr std::size_t kMaxBytes = std::size_t{256} << 20;

    struct Level {
        std::string typed;  // the command, Shift-JIS
        Snapshot before;
        std::size_t ownBytes = 0;  // the level without its picture
    };

    explicit UndoHistory(std::size_t maxLevels = kMaxLevels, std::size_t maxBytes = kMaxBytes)
        : maxLevels_(maxLevels), maxBytes_(maxBytes) {}

    // A picture equal to one a level holds is shared with it rather than kept again.
    void push(std::string typed, Snapshot before);
    std::optional<Level> pop();
    const Level* newest() const { return levels_.empty() ? nullptr : &levels_.back(); }
    void clear();

    std::size_t levels() const { return levels_.size(); }
    // Memory the levels hold, each picture once however many share it.
    std::size_t bytes() const { return bytes_; }

private:
    void recount();

    std::deque<Level> levels_;
    std::size_t bytes_ = 0;
    std::size_t maxLevels_;
    std::size_t maxBytes_;
};

}  // namespace vornal
