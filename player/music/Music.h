// The game's music: the sequencer, its 10 ms timer and the music fields BgmLoaded, BgmLoop
// and BgmFile. The timer thread steps the sequencer and may stop a song that plays once;
// the window thread starts and stops songs. One mutex keeps them apart.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/Stream.h"

namespace vornal {

class Music {
public:
    struct State {
        bool loaded = false;  // BgmLoaded
        bool loop = true;     // BgmLoop
        std::string file;     // BgmFile, Shift-JIS, default extension included
    };
    // Gets a song file's bytes; reports its own failures and returns nullopt then.
    using Fetch = std::function<std::optional<std::vector<Byte>>()>;

    // Silent: nothing is played.
    Music();
    ~Music();
    Music(const Music&) = delete;
    Music& operator=(const Music&) = delete;

    // *BGM's loop flag.
    void SetLoop(bool loop);
    // Starts the song `name` unless it is the one already loaded. `fetch` runs without the
    // lock held, so it may show modal boxes. Returns the texts of the "MIDI PLAY ERROR"
    // boxes that loading raised, in order, for the caller to show.
    std::vector<std::string> PlayBgm(std::string_view name, const Fetch& fetch);
    // Stops the music and forgets the song.
    void StopBgm();
    State GetState() const;
    // A loaded game's BgmLoaded and BgmLoop, set before PlayBgm of its song.
    void RestoreFlags(bool loaded, bool loop);
    // Receives the errors raised on the timer thread (called there); empty to stop.
    void SetErrorSink(std::function<void(std::string)> sink);

private:
    mutable std::mutex mutex_;
    State state_;
    std::function<void(std::string)> errorSink_;
};

}  // namespace vornal
