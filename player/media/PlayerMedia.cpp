#include "player/media/PlayerMedia.h"

#include <utility>

#include "player/media/PictureFiles.h"
#include "player/media/SdlSound.h"

namespace vornal {

PlayerMedia::PlayerMedia(const MediaOptions& options,
                         std::function<void(const std::string&)> notice)
    : options_(options),
      pictures_(std::make_unique<PictureFiles>()),
      // --fast plays nothing: the terminal does not wait for sounds either.
      sound_(std::make_unique<SdlSound>(
          SdlSound::Settings{.muted = options.mute || options.fast, .notice = std::move(notice)})),
      music_(std::make_unique<Music>()) {}

PlayerMedia::~PlayerMedia() = default;

MediaServices PlayerMedia::services() {
    return MediaServices{pictures_.get(), sound_.get(), music_.get()};
}

void PlayerMedia::setSoundMuted(bool muted) {
    sound_->setMuted(muted);
}

}  // namespace vornal
