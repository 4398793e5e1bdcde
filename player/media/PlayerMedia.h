// The media of one player, the window's or the terminal's: picture decoding, sound
// effects and music, built from the choices of the command line and the menus. The host
// owns one and hands services() to its engine.
#pragma once

#include <memory>
#include <string>

#include "player/core/Media.h"
#include "player/music/Music.h"

namespace vornal {

struct MediaOptions {
    bool mute = false;   // play nothing, but keep the time that sounds take
    bool fast = false;   // the terminal's --fast: no waiting, music on a simulated clock
    std::string output;  // the music output's name; empty for the default
};

class PlayerMedia {
public:
    explicit PlayerMedia(const MediaOptions& options);
    ~PlayerMedia();
    PlayerMedia(const PlayerMedia&) = delete;
    PlayerMedia& operator=(const PlayerMedia&) = delete;

    MediaServices services();
    Music& music() { return *music_; }

private:
    MediaOptions options_;
    std::unique_ptr<PictureCodec> pictures_;
    std::unique_ptr<SoundOutput> sound_;
    std::unique_ptr<Music> music_;
};

}  // namespace vornal
