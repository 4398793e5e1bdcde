#include "player/core/MessageArea.h"

namespace vornal {

void MessageArea::append(std::string line) {
    bytes_ += line.size();
    lines_.push_back(std::move(line));
    host_.linesAppended(std::span<const std::string>(&lines_.back(), 1));
    enforceLimits();
}

void MessageArea::appendLines(std::span<std::string> lines) {
    for (auto& line : lines) {
        bytes_ += line.size();
        lines_.push_back(line);
    }
    host_.linesAppended(lines);
    enforceLimits();
}

void MessageArea::trimBeforeEcho() {
    if (lines_.size() > kTrimAbove) removeFromTop(lines_.size() - kKeepBeforeEcho);
}

void MessageArea::clear() {
    lines_.clear();
    bytes_ = 0;
    host_.messagesCleared();
}

void MessageArea::replace(std::vector<std::string> lines) {
    clear();
    if (!lines.empty()) appendLines(lines);
}

void MessageArea::removeFromTop(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        bytes_ -= lines_.front().size();
        lines_.pop_front();
    }
    host_.linesRemovedFromTop(count);
}

void MessageArea::enforceLimits() {
    if (lines_.size() <= kMaxLines && bytes_ <= kMaxBytes) return;
    std::size_t count = 0;
    std::size_t bytes = bytes_;
    while (count < lines_.size() &&
           (lines_.size() - count > kMaxLines / 2 || bytes > kMaxBytes / 2)) {
        bytes -= lines_[count].size();
        ++count;
    }
    removeFromTop(count);
}

}  // namespace vornal
