#include "player/media/PlayerMedia.h"

namespace vornal {

PlayerMedia::PlayerMedia(const MediaOptions& options)
    : options_(options), music_(std::make_unique<Music>()) {}

PlayerMedia::~PlayerMedia() = default;

MediaServices PlayerMedia::services() {
    return MediaServices{pictures_.get(), sound_.get(), music_.get()};
}

}  // namespace vornal
