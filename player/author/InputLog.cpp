#include "player/author/InputLog.h"

#include <algorithm>
#include <utility>

namespace vornal {

void InputLog::takeBackCommand() {
    while (!entries_.empty()) {
        const bool command = entries_.back().kind == Kind::Command;
        entries_.pop_back();
        if (command) return;
    }
}

void InputLog::beginReplay() {
    queue_.assign(std::make_move_iterator(entries_.begin()),
                  std::make_move_iterator(entries_.end()));
    entries_.clear();
    replaying_ = true;
}

void InputLog::endReplay() {
    queue_.clear();
    replaying_ = false;
}

std::optional<std::string> InputLog::nextCommand() {
    while (!queue_.empty() && queue_.front().kind == Kind::Answer)
        queue_.pop_front();
    if (queue_.empty()) return std::nullopt;
    entries_.push_back(std::move(queue_.front()));
    queue_.pop_front();
    return entries_.back().text;
}

bool InputLog::commandQueued() const {
    return std::any_of(queue_.begin(), queue_.end(),
                       [](const Entry& entry) { return entry.kind == Kind::Command; });
}

std::optional<std::string> InputLog::nextAnswer() {
    if (!replaying_) return std::nullopt;
    if (queue_.empty() || queue_.front().kind != Kind::Answer) {
        endReplay();
        return std::nullopt;
    }
    entries_.push_back(std::move(queue_.front()));
    queue_.pop_front();
    return entries_.back().text;
}

}  // namespace vornal
