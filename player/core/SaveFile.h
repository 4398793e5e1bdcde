// The save file (format: docs/save-format.md): the magic, then a stream bundle of two
// members, the picture area as a BMP file and the game's state record, each as its
// uncompressed size followed by its LZSS form.
//
// Reading checks the whole file before anything is handed back, never reads outside the
// file's bytes and allocates no more than the limits below allow.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "codec/Archive.h"
#include "codec/Stream.h"
#include "player/core/ScriptModel.h"

namespace vornal::save {

inline constexpr std::array<Byte, 4> kMagic{0x56, 0x4E, 0x53, 0x00};  // "VNS" 0
inline constexpr std::int32_t kFormatNumber = 1;
// Flags 0..511 are saved; flag 512 keeps its value across a load.
inline constexpr std::int32_t kSavedFlags = 512;
inline constexpr std::int32_t kMaxFlags = 513;

// A picture member may hold the largest picture the player shows (64 Mpixels at 32 bits);
// the state record is small. Larger sizes are refused before anything is allocated.
inline constexpr std::int64_t kMaxPictureBytes = (std::int64_t{256} << 20) + (1 << 16);
inline constexpr std::int64_t kMaxStateBytes = std::int64_t{16} << 20;
inline constexpr std::int64_t kMaxFileBytes = (std::int64_t{320} << 20);

struct GameState {
    std::int32_t scene = 0;
    bool musicLoaded = false;
    bool musicLoop = false;
    std::string song;  // Shift-JIS; written only when musicLoaded
    std::vector<std::int32_t> flags;
    // A record may end after its flags or after its items; what it lacks stays unchanged.
    bool hasItems = true;
    std::vector<std::int32_t> items;
    bool hasStack = true;
    TGameStack stack;  // bottom to top
};

// A save file that is not one, or is damaged; what() says what is wrong, in English.
class SaveFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The state record's bytes: 2080 + L + 4 N + 8 M of them for a full record.
std::vector<Byte> EncodeState(const GameState& state);

// Writes the whole file: magic, then the bundle of the picture and the state record.
// Throws StreamError when `dest` refuses a write.
void WriteSaveFile(Stream& dest, std::span<const Byte> pictureBmp, std::span<const Byte> state);

// What the open script allows a save file to hold.
struct ScriptLimits {
    std::size_t itemCount = 0;
    std::int32_t lineCount = 0;  // scenes and stack entries lie within 0..lineCount
    std::int64_t maxStackDepth = 0;
};

struct Contents {
    std::vector<Byte> picture;  // the BMP file; empty when the member holds no bytes
    GameState state;
};

// Reads and checks a whole save file held in memory; throws SaveFormatError.
Contents ReadSaveFile(std::vector<Byte> file, const ScriptLimits& limits);

// The parts, shared with the resume file (player/core/ResumeFile.h), which is built the same
// way behind a magic of the same length.
// Checks a state record against the script; throws SaveFormatError (or StreamError when it
// is cut short).
GameState DecodeState(std::vector<Byte> record, const ScriptLimits& limits);
// A member of the bundle after the magic: its uncompressed size, then the LZSS data that
// decodes to exactly that; at most `limit` bytes. Throws SaveFormatError or StreamError.
std::vector<Byte> ReadPackedMember(MemoryStream& file, std::int32_t index, std::int64_t limit);
void AddPackedMember(StreamBundleWriter& bundle, std::span<const Byte> bytes);

}  // namespace vornal::save
