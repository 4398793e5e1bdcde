// The resume file: a snapshot of a game kept when the window closed, to continue from when
// the same game is opened again (format: docs/save-format.md, "Resume points"). Built like
// a save file, behind a magic of its own, so it can never be taken for one: the magic, then
// a stream bundle of three members, each its uncompressed size and its LZSS form: the
// picture area as a BMP file (no bytes when nothing was drawn), the save file's state
// record, and what a save leaves out (the session record).
//
// Reading checks the whole file against the open game before anything is handed back,
// never reads outside the file's bytes and allocates no more than the limits allow.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "codec/Stream.h"
#include "player/core/Media.h"
#include "player/core/SaveFile.h"
#include "player/core/Snapshot.h"

namespace vornal::resume {

inline constexpr std::array<Byte, 4> kMagic{0x56, 0x4E, 0x52, 0x00};  // "VNR" 0
inline constexpr std::int32_t kFormatNumber = 1;
inline constexpr std::int64_t kMaxSessionBytes = std::int64_t{32} << 20;

// `pictures` encodes the area's bitmap; without one the picture member stays empty.
std::vector<Byte> Encode(const Snapshot& snapshot, std::uint64_t scriptKey,
                         const PictureCodec* pictures);

// Throws save::SaveFormatError when the file is damaged, is no resume file, or belongs to
// another script (`scriptKey`, `limits`); PictureError when its picture cannot be decoded.
Snapshot Decode(std::vector<Byte> file, std::uint64_t scriptKey, const save::ScriptLimits& limits,
                const PictureCodec* pictures);

}  // namespace vornal::resume
