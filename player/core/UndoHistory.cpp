#include "player/core/UndoHistory.h"

#include <unordered_set>
#include <utility>

namespace vornal {

std::size_t Snapshot::bytesWithoutPicture() const {
    std::size_t total = sizeof(Snapshot) + record.size() + caption.size() + pictureName.size();
    for (const std::string& line : messages)
        total += sizeof(std::string) + line.size();
    return total;
}

void UndoHistory::push(std::string typed, Snapshot before) {
    // Games draw the same scenes again and again: a picture any level already holds is
    // shared. Different pictures differ within their first row, so the search is cheap.
    if (before.picture) {
        const Bitmap& picture = *before.picture;
        for (auto level = levels_.rbegin(); level != levels_.rend(); ++level) {
            const std::shared_ptr<const Bitmap>& held = level->before.picture;
            if (held == before.picture ||
                (held && held->width == picture.width && held->height == picture.height &&
                 held->pixels == picture.pixels)) {
                before.picture = held;
                break;
            }
        }
    }
    const std::size_t own = before.bytesWithoutPicture() + typed.size();
    levels_.push_back(Level{std::move(typed), std::move(before), own});
    recount();
    // The newest level always stays, however large.
    while (levels_.size() > 1 && (levels_.size() > maxLevels_ || bytes_ > maxBytes_)) {
        levels_.pop_front();
        recount();
    }
}

std::optional<UndoHistory::Level> UndoHistory::pop() {
    if (levels_.empty()) return std::nullopt;
    Level level = std::move(levels_.back());
    levels_.pop_back();
    recount();
    return level;
}

void UndoHistory::clear() {
    levels_.clear();
    bytes_ = 0;
}

void UndoHistory::recount() {
    bytes_ = 0;
    std::unordered_set<const Bitmap*> counted;
    for (const Level& level : levels_) {
        bytes_ += level.ownBytes;
        const Bitmap* picture = level.before.picture.get();
        if (picture && counted.insert(picture).second)
            bytes_ += sizeof(Bitmap) + picture->pixels.size() * 4;
    }
}

}  // namespace vornal
