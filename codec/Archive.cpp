#include "codec/Archive.h"

#include <limits>
#include <optional>
#include <stdexcept>

#include "codec/zmCompress.h"

namespace vornal {

namespace {

// EntryLength counts UnpackedSize, Compressed and NameLength (4 bytes each) before the name.
constexpr std::int64_t kEntryFieldsAfterLength = 12;
constexpr std::int64_t kEntryHeaderSize = 4 + kEntryFieldsAfterLength;

std::string damagedPrefix(const std::string& archiveName) {
    return "damaged archive '" + archiveName + "': ";
}

[[noreturn]] void refuse(const Stream& archive, const std::string& detail) {
    throw StreamError(damagedPrefix(archive.name()) + detail);
}

std::string entryLabel(std::int32_t index) {
    return "entry " + std::to_string(index);
}

// The checks that need only the header; the data is judged without being read. Empty
// when the sizes are possible.
std::string sizeProblem(const ArchiveEntryInfo& e) {
    if (e.unpackedSize < 0) return "negative size " + std::to_string(e.unpackedSize);
    if (!e.compressed && e.unpackedSize != e.dataLength) {
        return "stored with " + std::to_string(e.dataLength) + " bytes but claims " +
               std::to_string(e.unpackedSize);
    }
    if (e.compressed && e.unpackedSize > MaxDecodedSize(e.dataLength)) {
        return "claims " + std::to_string(e.unpackedSize) + " bytes, more than its " +
               std::to_string(e.dataLength) + " stored bytes can decode to";
    }
    return {};
}

void checkSizes(const Stream& archive, const ArchiveEntryInfo& e) {
    const std::string problem = sizeProblem(e);
    if (!problem.empty()) refuse(archive, entryLabel(e.index) + ": " + problem);
}

// The entry count; a file too short to hold it is damaged, one without the magic is no
// archive (nullopt).
std::optional<std::int32_t> readCount(Stream& archive, std::int64_t fileSize) {
    archive.setPosition(0);
    std::array<Byte, 4> magic{};
    if (archive.read(magic) != magic.size() || magic != kArchiveMagic) return std::nullopt;
    if (fileSize < 8) refuse(archive, "the file ends inside the entry count");
    const std::int32_t count = archive.readInt32();
    if (count < 0) refuse(archive, "negative entry count " + std::to_string(count));
    return count;
}

// One entry's header as read at `pos`, judged against the file.
struct EntryHeader {
    ArchiveEntryInfo info;
    bool nameRead = false;
    std::string problem;    // empty when the entry is sound
    bool walkable = false;  // the next entry begins where this one's data ends
};

EntryHeader readEntryHeader(Stream& archive, std::int64_t pos, std::int64_t fileSize,
                            std::int32_t index) {
    EntryHeader h;
    h.info.index = index;
    if (fileSize - pos < kEntryHeaderSize) {
        h.problem = "the file ends inside its header";
        return h;
    }
    archive.setPosition(pos);
    const std::int32_t entryLength = archive.readInt32();
    h.info.unpackedSize = archive.readInt32();
    h.info.compressed = archive.readInt32() != 0;
    const std::int32_t nameLength = archive.readInt32();
    if (entryLength < kEntryFieldsAfterLength) {
        h.problem = "EntryLength " + std::to_string(entryLength) + " is below its 12 header bytes";
        return h;
    }
    if (nameLength < 0 || nameLength > entryLength - kEntryFieldsAfterLength) {
        h.problem = "NameLength " + std::to_string(nameLength) + " does not fit its EntryLength " +
                    std::to_string(entryLength);
        return h;
    }
    const std::int64_t bodyLength = entryLength - kEntryFieldsAfterLength;
    const std::int64_t left = fileSize - (pos + kEntryHeaderSize);
    if (nameLength <= left) {
        h.info.name.assign(static_cast<std::size_t>(nameLength), '\0');
        archive.readExact(std::span(reinterpret_cast<Byte*>(h.info.name.data()),
                                    static_cast<std::size_t>(nameLength)));
        h.nameRead = true;
    }
    h.info.dataOffset = pos + kEntryHeaderSize + nameLength;
    h.info.dataLength = static_cast<std::int32_t>(bodyLength - nameLength);
    if (bodyLength > left) {
        h.problem = "the file is cut short inside it (" + std::to_string(bodyLength) +
                    " bytes of name and data, " + std::to_string(left) + " left)";
        return h;
    }
    h.walkable = true;
    h.problem = sizeProblem(h.info);
    return h;
}

}  // namespace

bool WalkArchive(Stream& archive, const std::function<bool(const ArchiveEntryInfo&)>& visit) {
    const std::int64_t fileSize = archive.size();
    const std::optional<std::int32_t> count = readCount(archive, fileSize);
    if (!count) return false;
    // Every entry takes at least its 16 header bytes, so a larger count cannot be real.
    if (*count > (fileSize - 8) / kEntryHeaderSize) {
        refuse(archive, "entry count " + std::to_string(*count) + " does not fit in " +
                            std::to_string(fileSize) + " bytes");
    }
    std::int64_t pos = 8;
    for (std::int32_t i = 0; i < *count; ++i) {
        const EntryHeader h = readEntryHeader(archive, pos, fileSize, i);
        if (!h.problem.empty()) refuse(archive, entryLabel(i) + ": " + h.problem);
        if (!visit(h.info)) return true;
        pos = h.info.dataOffset + h.info.dataLength;
    }
    return true;
}

ArchiveSurvey SurveyArchive(Stream& archive) {
    ArchiveSurvey survey;
    survey.archiveName = archive.name();
    const std::int64_t fileSize = archive.size();
    std::optional<std::int32_t> count;
    try {
        count = readCount(archive, fileSize);
    } catch (const StreamError& e) {
        survey.isArchive = true;
        survey.damage = e.what();
        return survey;
    }
    if (!count) return survey;
    survey.isArchive = true;
    survey.announced = *count;
    std::int64_t pos = 8;
    for (std::int32_t i = 0; i < *count && pos < fileSize; ++i) {
        EntryHeader h = readEntryHeader(archive, pos, fileSize, i);
        survey.entries.push_back({std::move(h.info), h.nameRead, std::move(h.problem)});
        if (!h.walkable) break;
        const ArchiveEntryInfo& e = survey.entries.back().info;
        pos = e.dataOffset + e.dataLength;
    }
    return survey;
}

std::string ArchiveSurvey::damageLine(
    const SurveyedEntry& entry,
    const std::function<std::string(std::string_view)>& showName) const {
    std::string label = entryLabel(entry.info.index);
    if (entry.nameKnown) label += " '" + showName(entry.info.name) + "'";
    return damagedPrefix(archiveName) + label + ": " + entry.damage;
}

std::vector<std::string> ArchiveSurvey::damageLines(
    const std::function<std::string(std::string_view)>& showName) const {
    std::vector<std::string> lines;
    const std::string prefix = damagedPrefix(archiveName);
    if (!damage.empty()) lines.push_back(damage);
    for (const SurveyedEntry& entry : entries) {
        if (!entry.damage.empty()) lines.push_back(damageLine(entry, showName));
    }
    const auto reached = static_cast<std::int32_t>(entries.size());
    if (reached < announced) {
        const std::string which =
            reached + 1 == announced
                ? entryLabel(reached)
                : "entries " + std::to_string(reached) + " to " + std::to_string(announced - 1);
        // The walk ended at the end of the file, or at an entry whose extent is unknown.
        const bool atEnd = entries.empty() || entries.back().damage.empty();
        lines.push_back(prefix + which + " cannot be reached: " +
                        (atEnd ? std::string("the file ends before ") +
                                     (reached + 1 == announced ? "it" : "them")
                               : "the walk cannot pass " + entryLabel(reached - 1)));
    }
    return lines;
}

void ReadArchiveData(const ArchiveEntryInfo& entry, Stream& archive, MemoryStream& dest) {
    checkSizes(archive, entry);
    dest.clear();
    try {
        archive.setPosition(entry.dataOffset);
        if (!entry.compressed) {
            dest.reserve(static_cast<std::size_t>(entry.dataLength));
            dest.copyFrom(archive, entry.dataLength);
        } else {
            // The decoder may finish its last token up to 65 bytes past the size.
            dest.reserve(static_cast<std::size_t>(entry.unpackedSize) + 65);
            TzmLZSSCompress codec;
            codec.Decompress(archive, dest, entry.unpackedSize);
        }
    } catch (const StreamError& e) {
        dest.clear();
        refuse(archive, entryLabel(entry.index) + ": " + e.what());
    } catch (...) {
        dest.clear();
        throw;
    }
    const auto wanted = static_cast<std::size_t>(entry.unpackedSize);
    if (dest.bytes().size() < wanted) {
        dest.clear();
        refuse(archive, entryLabel(entry.index) + ": decodes to fewer bytes than it claims");
    }
    if (dest.bytes().size() > wanted) {
        // Only damaged data overshoots (a token running past the size); keep exactly the
        // claimed bytes, as every valid entry has.
        std::vector<Byte> bytes = dest.takeBytes();
        bytes.resize(wanted);
        dest.clear();
        dest.write(bytes);
    }
    dest.setPosition(0);
}

std::uint8_t ReadArchiveEntry(std::string_view name, Stream& archive, MemoryStream& dest) {
    std::optional<ArchiveEntryInfo> found;
    bool isArchive = WalkArchive(archive, [&](const ArchiveEntryInfo& e) {
        if (e.name != name) return true;
        found = e;  // the first entry of a name wins
        return false;
    });
    if (!isArchive) return kArchiveBadMagic;
    if (!found) return kArchiveNoEntry;
    ReadArchiveData(*found, archive, dest);
    return kArchiveFound;
}

// ---- stream bundle ----

StreamBundleWriter::StreamBundleWriter(Stream& dest, std::int32_t memberCount)
    : dest_(dest), expected_(memberCount) {
    if (memberCount < 0) throw std::invalid_argument("negative bundle member count");
    dest_.writeInt32(memberCount);
}

void StreamBundleWriter::add(MemoryStream& member) {
    if (written_ == expected_) {
        throw StreamError("bundle in '" + dest_.name() + "': more than the announced " +
                          std::to_string(expected_) + " members");
    }
    const std::int64_t size = member.size();
    if (size > std::numeric_limits<std::int32_t>::max()) {
        throw StreamError("'" + member.name() + "' is " + std::to_string(size) +
                          " bytes, too large for a bundle member");
    }
    dest_.writeInt32(static_cast<std::int32_t>(size));
    dest_.write(member.bytes());
    member.setPosition(size);
    ++written_;
}

void StreamBundleWriter::finish() const {
    if (written_ != expected_) {
        throw StreamError("bundle in '" + dest_.name() + "': " + std::to_string(written_) + " of " +
                          std::to_string(expected_) + " members written");
    }
}

void WriteStreamBundle(Stream& dest, std::span<MemoryStream* const> members) {
    if (members.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw StreamError("too many members for a bundle in '" + dest.name() + "'");
    }
    StreamBundleWriter writer(dest, static_cast<std::int32_t>(members.size()));
    for (MemoryStream* member : members)
        writer.add(*member);
    writer.finish();
}

void ReadBundleMember(std::int32_t index, Stream& source, MemoryStream& dest) {
    if (index < 0) throw std::invalid_argument("negative bundle member index");
    auto damaged = [&](std::int32_t member, const std::string& detail) {
        return StreamError("damaged bundle in '" + source.name() + "': member " +
                           std::to_string(member) + " " + detail);
    };
    source.readInt32();  // the member count; the index is not compared with it
    for (std::int32_t i = 0; i < index; ++i) {
        const std::int32_t length = source.readInt32();
        if (length < 0 || length > source.remaining()) {
            throw damaged(i, "has length " + std::to_string(length) + " with " +
                                 std::to_string(source.remaining()) + " bytes left");
        }
        source.seekForward(length);
    }
    const std::int32_t length = source.readInt32();
    if (length < 0 || length > source.remaining()) {
        throw damaged(index, "has length " + std::to_string(length) + " with " +
                                 std::to_string(source.remaining()) + " bytes left");
    }
    dest.clear();
    dest.reserve(static_cast<std::size_t>(length));
    dest.copyFrom(source, length);
    dest.setPosition(0);
}

}  // namespace vornal
