#include "player/core/UndoHistory.h"

#include <utility>

namespace vornal {

std::size_t Snapshot::bytes(bool countPicture) const {
    std::size_t total = sizeof(Snapshot) + record.size() + caption.size() + pictureName.size();
    for (const std::string& line : messages)
        total += sizeof(std::string) + line.size();
    if (countPicture && picture) total += sizeof(Bitmap) + picture->pixels.size() * 4;
    return total;
}

void UndoHistory::push(std::string typed, Snapshot before) {
    if (!levels_.empty() && before.picture) {
        const std::shared_ptr<const Bitmap>& last = levels_.back().before.picture;
        if (last && last != before.picture && last->width == before.picture->width &&
            last->height == before.picture->height && last->pixels == before.picture->pixels) {
            before.picture = last;
        }
    }
    ownBytes_.push_back(before.bytes(false) + typed.size());
    levels_.push_back(Level{std::move(typed), std::move(before)});
    recount();
    // The newest level always stays, however large.
    while (levels_.size() > 1 && (levels_.size() > maxLevels_ || bytes_ > maxBytes_)) {
        levels_.pop_front();
        ownBytes_.pop_front();
        recount();
    }
}

std::optional<UndoHistory::Level> UndoHistory::pop() {
    if (levels_.empty()) return std::nullopt;
    Level level = std::move(levels_.back());
    levels_.pop_back();
    ownBytes_.pop_back();
    recount();
    return level;
}

void UndoHistory::clear() {
    levels_.clear();
    ownBytes_.clear();
    bytes_ = 0;
}

// Levels that share a picture follow each other (a picture is shared only with the newest).
void UndoHistory::recount() {
    bytes_ = 0;
    const Bitmap* previous = nullptr;
    for (std::size_t i = 0; i < levels_.size(); ++i) {
        bytes_ += ownBytes_[i];
        const Bitmap* picture = levels_[i].before.picture.get();
        if (picture && picture != previous) bytes_ += sizeof(Bitmap) + picture->pixels.size() * 4;
        previous = picture;
    }
}

}  // namespace vornal
