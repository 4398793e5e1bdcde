// The scenario archive (.vnp) and the stream bundle (format: docs/archive-format.md).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/Stream.h"

namespace vornal {

// Result codes of ReadArchiveEntry.
enum : std::uint8_t { kArchiveFound = 0, kArchiveBadMagic = 1, kArchiveNoEntry = 2 };

// Looks up the first entry named `name` (exact bytes, Shift-JIS) and fills `dest` with its
// unpacked bytes, position 0. Returns kArchiveBadMagic or kArchiveNoEntry without touching
// `dest`. A damaged archive (cut short, impossible counts or lengths) throws StreamError
// naming the archive; no allocation exceeds what the stored bytes can decode to.
std::uint8_t ReadArchiveEntry(std::string_view name, Stream& archive, MemoryStream& dest);

}  // namespace vornal
