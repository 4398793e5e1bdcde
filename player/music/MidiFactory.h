// MidiFactory: TMidiPlay, the sequencer, and the event decoder it reads songs with. The
// whole file is kept in memory and each track is read one event ahead; a periodic step,
// Tick(), compares the song clock with the pending events and sends every event that has
// become due to the output. See docs/music.md for the rules this follows where files are
// damaged.
//
// ReadEvent never reads outside the loaded song or the track's chunk and never writes
// outside the event record, whatever lengths the file declares.
//
// Not thread-safe: the owner (Music) keeps steps, loads and stops apart.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/Stream.h"
#include "player/music/MidiOutput.h"
#include "player/music/MidiUtils.h"
#include "player/music/Timebase.h"

namespace vornal {

enum TDestKind : std::uint8_t { dkNoData = 0, dkShort = 1, dkMeta = 2, dkSysEx = 3, dkNone = 4 };

struct TDestEvent {
    TDestKind Kind = dkNone;
    std::uint32_t Delta = 0;  // ticks since the track's previous event
    std::int64_t Time = 0;    // ticks from the start of the track; wide, so it never wraps
    Byte Status = 0;
    Byte Data1 = 0;
    Byte Data2 = 0;
    std::uint32_t MsgLength = 0;
    Byte MsgType = 0;
    Byte Channel = 0;
    std::uint32_t MetaLength = 0;
    Byte MetaType = 0;
    std::array<Byte, 255> MetaText{};  // text meta events, up to the first zero byte
    std::uint8_t MetaTextLength = 0;
    Byte MetaValue = 0;       // sequence number (low byte), channel prefix
    std::uint32_t Tempo = 0;  // µs per quarter note
    std::array<Byte, 256> SysEx{};
    // Valid bytes of SysEx; 0 for a message too long to hold, which is not sent.
    std::uint32_t SysExLength = 0;

    // The channel message as the output takes it: status in the low byte.
    std::uint32_t ShortMessage() const {
        return Status | (std::uint32_t{Data1} << 8) | (std::uint32_t{Data2} << 16);
    }
};

struct TTrackCursor {
    std::uint32_t Length = 0;
    std::size_t Start = 0;    // offset of the chunk's first event byte in the song
    std::size_t Current = 0;  // offset of the next unread byte
    Byte RunningStatus = 0;
    std::uint32_t Delta = 0;
    std::int64_t Time = 0;
};

class TMidiPlay {
public:
    // Both must outlive the sequencer.
    TMidiPlay(const MusicClock& clock, MidiOutput& output);
    ~TMidiPlay();
    TMidiPlay(const TMidiPlay&) = delete;
    TMidiPlay& operator=(const TMidiPlay&) = delete;

    // Loads a song; returns the reading errors in order (Shift-JIS texts for the "MIDI PLAY
    // ERROR" box). A header error keeps the song that was loaded before, and Loaded.
    std::vector<std::string> LoadFromStream(std::vector<Byte> song);
    // One step. Throws EMidiError when the output cannot be opened (the song is then stopped).
    void Tick();
    void Stop();
    // Closes the device; the next step starts the song from its beginning (another output
    // was chosen).
    void Restart();

    bool Loaded() const { return Loaded_; }
    bool Playing() const { return Playing_; }
    bool DeviceOpen() const { return DeviceOpen_; }
    std::int32_t MidiFormat() const { return MidiFormat_; }
    std::uint16_t MidiTracks() const { return MidiTracks_; }
    std::uint16_t MidiDivision() const { return MidiDivision_; }
    std::int32_t Bpm() const { return Bpm_; }

    // The reader, per track.
    bool RewindTrack(int i);
    void ReadEvent(int i, TDestEvent& event);
    static void ClearEvent(TDestEvent& event);

private:
    std::int64_t NowMs() const;
    std::int64_t CurrentTick() const;
    double DueMicros(std::int64_t tick) const;
    void OpenDevice();
    void CloseDevice();
    void DoMeta(int i, const TDestEvent& event);
    void EndOfSongTest();
    void Send(int i);

    const MusicClock& clock_;
    MidiOutput& output_;
    std::vector<Byte> SongData;
    std::int32_t MidiFormat_ = -1;
    std::uint16_t MidiTracks_ = 0;
    std::uint16_t MidiDivision_ = 120;
    std::int32_t Bpm_ = 120;
    std::int64_t StartTime = 0;   // ms on the clock at tick 0 of the song
    std::int64_t StepMicros = 0;  // the clock reading of the step under way
    std::array<TDestEvent, kMaxTracks> Events{};
    std::array<TTrackCursor, kMaxTracks> Cursors{};
    std::array<bool, kMaxTracks> TrackEnded{};
    bool DeviceOpen_ = false;
    bool Playing_ = false;
    bool Loaded_ = false;
};

}  // namespace vornal
