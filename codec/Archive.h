// The scenario archive (.vnp) and the stream bundle (format: docs/archive-format.md).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codec/Stream.h"

namespace vornal {

// Result codes of ReadArchiveEntry.
enum : std::uint8_t { kArchiveFound = 0, kArchiveBadMagic = 1, kArchiveNoEntry = 2 };

inline constexpr std::array<Byte, 4> kArchiveMagic{0x56, 0x4E, 0x00, 0x01};  // "VN" 0 1
inline constexpr std::string_view kScriptEntryName = "*SCRIPT*";

// Looks up the first entry named `name` (exact bytes, Shift-JIS) and fills `dest` with its
// unpacked bytes, position 0. Returns kArchiveBadMagic or kArchiveNoEntry without touching
// `dest`. A damaged archive (cut short, impossible counts or lengths) throws StreamError
// naming the archive; no allocation exceeds what the stored bytes can decode to.
std::uint8_t ReadArchiveEntry(std::string_view name, Stream& archive, MemoryStream& dest);

// One entry's header as the walk found it; every field already checked against the file.
struct ArchiveEntryInfo {
    std::int32_t index = 0;
    std::string name;  // Shift-JIS bytes
    std::int32_t unpackedSize = 0;
    bool compressed = false;
    std::int64_t dataOffset = 0;  // of the stored data, from the start of the file
    std::int32_t dataLength = 0;  // stored bytes
};

// Walks the entries in file order and calls `visit` for each until it returns false.
// `visit` may move the archive's position. Returns false (visiting nothing) when the
// file does not begin with the magic; throws StreamError on a damaged header.
bool WalkArchive(Stream& archive, const std::function<bool(const ArchiveEntryInfo&)>& visit);

// One entry as a survey found it.
struct SurveyedEntry {
    ArchiveEntryInfo info;  // the fields as the header gives them
    bool nameKnown = false;
    std::string damage;  // what is wrong with it (English); empty when it is sound
};

// The whole archive judged at once, from the headers alone: every entry's extent against
// the file, and its sizes. Unlike WalkArchive it goes on past a damaged entry whenever
// the next one can still be found, so a game can be opened with what is sound in it.
struct ArchiveSurvey {
    std::string archiveName;
    bool isArchive = false;              // begins with the magic
    std::int32_t announced = 0;          // the entry count the archive declares
    std::vector<SurveyedEntry> entries;  // every entry the walk reached, in file order
    std::string damage;  // the archive itself is damaged (no count): nothing can be found

    // "damaged archive 'PATH': entry 3 'ROOM.BMP': the file is cut short inside it (...)":
    // one line per damaged entry and one for the entries that cannot be reached.
    // `showName` converts an entry's Shift-JIS name for the screen.
    std::vector<std::string> damageLines(
        const std::function<std::string(std::string_view)>& showName) const;
    // The line of one damaged entry.
    std::string damageLine(const SurveyedEntry& entry,
                           const std::function<std::string(std::string_view)>& showName) const;
};

// Throws StreamError only when the file cannot be read.
ArchiveSurvey SurveyArchive(Stream& archive);

// Replaces `dest`'s content with the entry's `unpackedSize` bytes, position 0. Throws
// StreamError naming the archive when the stored data cannot produce them; `dest` is
// empty then.
void ReadArchiveData(const ArchiveEntryInfo& entry, Stream& archive, MemoryStream& dest);

// The most bytes `storedBytes` of LZSS data can decode to: 66 per 19-bit token, plus one
// token begun on stale bits. A larger UnpackedSize marks the entry as damaged.
constexpr std::int64_t MaxDecodedSize(std::int64_t storedBytes) {
    return 66 * (storedBytes * 8 / 19 + 1);
}

// ---- stream bundle: a member count, then each member as its length and its bytes ----

// Writes a bundle whose member count is known up front, one member at a time, so that
// only the member being written needs to be in memory.
class StreamBundleWriter {
public:
    // Writes the member count at `dest`'s position.
    StreamBundleWriter(Stream& dest, std::int32_t memberCount);
    // Writes the whole member from its first byte; its position ends at its end.
    void add(MemoryStream& member);
    // Throws unless exactly the announced number of members was added.
    void finish() const;

private:
    Stream& dest_;
    std::int32_t expected_;
    std::int32_t written_ = 0;
};

// Writes `members` as a bundle at `dest`'s position. A member of 2 GiB or more cannot be
// described by the format and throws StreamError before anything of it is written.
void WriteStreamBundle(Stream& dest, std::span<MemoryStream* const> members);

// Reads member `index` (0-based) of the bundle at `source`'s position into `dest`
// (replaced, position 0); `source` is left just after that member. The member count is
// read but not compared with `index`. A length that is negative or passes the end of
// `source` throws StreamError without touching `dest`.
void ReadBundleMember(std::int32_t index, Stream& source, MemoryStream& dest);

}  // namespace vornal
