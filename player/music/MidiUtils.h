// midiUtils: the byte-level readers of Standard MIDI Files, the chunk checks and the error
// they raise. All numbers in a MIDI file are big-endian.
//
// Every reader works on a MidiPos, a position inside a bounded span, and never reads
// outside that span: a read that runs past its end yields zero bytes for the missing part,
// leaves the position at the end and sets `overrun`, whatever lengths the file declares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

#include "codec/Stream.h"

namespace vornal {

// A reading error of a song; what() is the message in Shift-JIS, shown in the box captioned
// "MIDI PLAY ERROR".
class EMidiError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "スタンダード・ミディ・フォーマットのファイルではありません" (Shift-JIS).
const std::string& NotSmfText();
// "正しいMIDIフォーマットのファイルではありません" (Shift-JIS).
const std::string& BadMidiFormatText();

struct MidiPos {
    std::span<const Byte> data;
    std::size_t pos = 0;
    std::size_t end = 0;  // reads stop here; at most data.size()
    bool overrun = false;

    explicit MidiPos(std::span<const Byte> bytes, std::size_t start = 0)
        : data(bytes), pos(start), end(bytes.size()) {}
    MidiPos(std::span<const Byte> bytes, std::size_t start, std::size_t limit)
        : data(bytes), pos(start), end(limit < bytes.size() ? limit : bytes.size()) {}

    std::size_t left() const { return pos < end ? end - pos : 0; }
    // The next byte without consuming it; 0 (and overrun) at the end.
    Byte peek();
    Byte take();
    void skip(std::uint64_t count);
};

struct TMidiHeader {
    std::uint32_t Length = 0;
    std::uint16_t Format = 0;
    std::uint16_t Tracks = 0;
    std::uint16_t Division = 0;
};

struct TTrackHeader {
    std::uint32_t Length = 0;
};

// The song has 256 track slots: at most 255 tracks are accepted.
inline constexpr std::size_t kMaxTracks = 256;

bool IsHeaderTag(MidiPos& p);
bool IsTrackTag(MidiPos& p);
// N = 1 to 4 bytes big-endian; any other N returns 0 and consumes nothing.
std::uint32_t ReadNumber(MidiPos& p, int n);
// A variable-length quantity of any number of bytes, kept in 32 bits (higher bits are lost).
std::uint32_t ReadVarLen(MidiPos& p);
// `count` bytes as a string (fewer at the end of the span).
std::string ReadText(MidiPos& p, std::uint32_t count);
// Throws EMidiError for a wrong tag, a zero length or division, or 256 tracks or more.
bool ReadHeader(MidiPos& p, TMidiHeader& header);
// Throws EMidiError when the next four bytes are not "MTrk".
bool ReadTrackHeader(MidiPos& p, TTrackHeader& header);

}  // namespace vornal
