// The game's music: the sequencer VNMidiPlay, its 10 ms timer MMTimer1 and the music fields
// BgmLoaded, BgmLoop and BgmFile. The timer thread steps the sequencer and may stop a song
// that plays once; the window thread starts and stops songs. One mutex keeps them apart:
// every public call and every timer call runs under it.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/Stream.h"
#include "player/music/MMTimer.h"
#include "player/music/MidiFactory.h"
#include "player/music/MidiOutput.h"
#include "player/music/MutingOutput.h"
#include "player/music/Timebase.h"

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

    // Silent: songs are loaded (and their errors reported) but time never passes.
    Music();
    Music(std::unique_ptr<MidiOutput> output, std::unique_ptr<Timebase> timebase);
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
    // Stops the music for good and completes the output (a file's header). Throws
    // MidiOutputError when the output cannot be completed or broke off unsaid.
    void Finish();
    State GetState() const;
    // A loaded game's BgmLoaded and BgmLoop, set before PlayBgm of its song.
    void RestoreFlags(bool loaded, bool loop);
    // Receives the errors raised on the timer thread (called there, under the lock: it must
    // not call back into Music); empty to stop.
    void SetErrorSink(std::function<void(std::string)> sink);

    // The sequencer holds a song (the last load did not fail at its header).
    bool SongLoaded() const;
    // Another output; a song that plays starts again from its beginning there.
    void SetOutput(std::unique_ptr<MidiOutput> output);
    void SetMuted(bool muted);
    bool Muted() const;
    // The music's level, from 0 (silent) to 1 (as made), kept across outputs.
    void SetGain(double gain);
    // Why the music will not be heard (no audio device, ...): handed to `report` once, when
    // the next song starts, outside the lock. An empty reason says nothing.
    void SetSilentReason(std::string reason, std::function<void(const std::string&)> report);
    Timebase& timebase() { return *timebase_; }

private:
    void MMTimer1Timer();
    void StopBgmLocked();

    mutable std::mutex mutex_;
    std::unique_ptr<Timebase> timebase_;
    MutingOutput output_;
    TMidiPlay VNMidiPlay;
    State state_;
    std::function<void(std::string)> errorSink_;
    std::string silentReason_;
    std::function<void(const std::string&)> reportSilence_;
    // Last: destroyed first, so no call of it runs while the rest goes.
    TMMTimer MMTimer1;
};

}  // namespace vornal
