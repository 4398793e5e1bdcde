// The media of one player, the window's or the terminal's: picture decoding, sound
// effects and music, built from the choices of the command line and the menus. The host
// owns one and hands services() to its engine.
#pragma once

#include <functional>
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

class SdlSound;

class PlayerMedia {
public:
    // `notice` hears, in English and on the host's thread, what the player should know
    // about the media themselves (sound effects are off: no audio device).
    explicit PlayerMedia(const MediaOptions& options,
                         std::function<void(const std::string&)> notice = {});
    ~PlayerMedia();
    PlayerMedia(const PlayerMedia&) = delete;
    PlayerMedia& operator=(const PlayerMedia&) = delete;

    MediaServices services();
    Music& music() { return *music_; }
    // Sound effects muted at run time; muting ends the one that plays. They still take
    // their time, so the game keeps its pace.
    void setSoundMuted(bool muted);

private:
    MediaOptions options_;
    std::unique_ptr<PictureCodec> pictures_;
    std::unique_ptr<SdlSound> sound_;
    std::unique_ptr<Music> music_;
};

}  // namespace vornal
