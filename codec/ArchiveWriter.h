// Writes a scenario archive (format: docs/archive-format.md) one entry at a time: each
// entry is compressed into memory, written out and dropped, so memory stays near the
// largest single entry however large the archive grows.
#pragma once

#include <cstdint>
#include <string_view>

#include "codec/Archive.h"
#include "codec/Stream.h"
#include "codec/zmCompress.h"

namespace vornal {

// Replaces `entry`'s content with one archive entry without its EntryLength:
// UnpackedSize, Compressed = 1, NameLength, the name, then the LZSS data of `size` bytes
// read from `source` at its position. Throws StreamError naming `source` when it does
// not deliver exactly `size` bytes (a file that changed while being packed).
void BuildArchiveEntry(MemoryStream& entry, std::string_view name, Stream& source,
                       std::int32_t size, TzmLZSSCompress& codec);

class ArchiveWriter {
public:
    // Writes the magic and the entry count at `out`'s position.
    ArchiveWriter(Stream& out, std::int32_t entryCount);

    // Appends the next entry, named `name` (Shift-JIS bytes), from `size` bytes of
    // `source` at its position.
    void addEntry(std::string_view name, Stream& source, std::int32_t size);
    // Throws unless every announced entry was added.
    void finish() const { bundle_.finish(); }

private:
    static Stream& withMagic(Stream& out);

    StreamBundleWriter bundle_;
    TzmLZSSCompress codec_;
    MemoryStream entry_;  // reused, so its buffer grows to the largest entry only once
};

}  // namespace vornal
