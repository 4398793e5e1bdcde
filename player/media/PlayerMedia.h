// The media of one player, the window's or the terminal's: picture decoding, sound
// effects and music, built from the choices of the command line and the menus. The host
// owns one and hands services() to its engine.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "player/core/Media.h"
#include "player/media/Volume.h"
#include "player/music/Music.h"

namespace vornal {

struct MediaOptions {
    bool mute = false;   // play nothing, but keep the time that sounds take
    bool fast = false;   // the terminal's --fast: no waiting, music on a simulated clock
    std::string output;  // the music output's name; empty for the default
    // 0 to 100 (player/media/Volume.h)
    int musicVolume = kFullVolume;
    int soundVolume = kFullVolume;
};

class SdlSound;

class PlayerMedia {
public:
    // `notice` hears, in English and on the host's thread, what the player should know
    // about the media themselves (sound effects are off: no audio device). Throws
    // UnknownOutput (player/music/outputs/OutputRegistry.h) for an output name that means
    // nothing; an output that cannot work leaves the music silent (musicProblem()).
    explicit PlayerMedia(const MediaOptions& options,
                         std::function<void(const std::string&)> notice = {});
    ~PlayerMedia();
    PlayerMedia(const PlayerMedia&) = delete;
    PlayerMedia& operator=(const PlayerMedia&) = delete;

    MediaServices services();
    Music& music() { return *music_; }
    // Why the chosen music output is silent (no audio device, no SoundFont, no such port);
    // empty when it works.
    const std::string& musicProblem() const { return musicProblem_; }
    // Receives musicProblem() once, when the first song starts (a player without music
    // says nothing).
    void setProblemReporter(std::function<void(const std::string&)> report);
    // Another music output, from the window's menu; returns its problem as musicProblem()
    // (not reported again).
    const std::string& setMusicOutput(std::string_view name);
    // The music output's name as chosen ("" for the default).
    const std::string& musicOutput() const { return options_.output; }
    // Music and sound effects muted at run time; muting ends the sound effect that plays.
    // Sounds still take their time, so the game keeps its pace.
    void setMuted(bool muted);
    bool muted() const { return options_.mute; }
    // The volumes, 0 to 100 (clamped), at run time too: the music's applies to every output
    // that makes sound (the synthesizer, a WAV file; a MIDI port keeps its own), the sound
    // effects' from their next buffer on.
    void setMusicVolume(int volume);
    int musicVolume() const { return options_.musicVolume; }
    void setSoundVolume(int volume);
    int soundVolume() const { return options_.soundVolume; }

    // Stops the music for good and completes its output (the wav: file's header); returns
    // why that failed, or why the output broke off earlier without being said, or "".
    std::string finishMusic();

    // With --fast, the music's simulated time moves on by `time` (every timer call due meanwhile
    // is made); in real time it does nothing.
    void advanceMusic(std::chrono::milliseconds time);

private:
    MediaOptions options_;
    std::unique_ptr<PictureCodec> pictures_;
    std::unique_ptr<SdlSound> sound_;
    SimulatedTimebase* simulated_ = nullptr;  // the music's, with --fast
    std::string musicProblem_;
    std::unique_ptr<Music> music_;
};

}  // namespace vornal
