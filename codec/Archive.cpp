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

[[noreturn]] void refuse(const Stream& archive, const std::string& detail) {
    throw StreamError("damaged archive '" + archive.name() + "': " + detail);
}

std::string entryLabel(std::int32_t index) {
    return "entry " + std::to_string(index);
}

// The checks that need only the header; the data is judged without being read.
void checkSizes(const Stream& archive, const ArchiveEntryInfo& e) {
    if (e.unpackedSize < 0) {
        refuse(archive,
               entryLabel(e.index) + " has a negative size " + std::to_string(e.unpackedSize));
    }
    if (!e.compressed && e.unpackedSize != e.dataLength) {
        refuse(archive, entryLabel(e.index) + " is stored with " + std::to_string(e.dataLength) +
                            " bytes but claims " + std::to_string(e.unpackedSize));
    }
    if (e.compressed && e.unpackedSize > MaxDecodedSize(e.dataLength)) {
        refuse(archive, entryLabel(e.index) + " claims " + std::to_string(e.unpackedSize) +
                            " bytes, more than its " + std::to_string(e.dataLength) +
                            " stored bytes can decode to");
    }
}

}  // namespace

bool WalkArchive(Stream& archive, const std::function<bool(const ArchiveEntryInfo&)>& visit) {
    archive.setPosition(0);
    std::array<Byte, 4> magic{};
    if (archive.read(magic) != magic.size() || magic != kArchiveMagic) return false;

    const std::int64_t fileSize = archive.size();
    if (fileSize < 8) refuse(archive, "the file ends inside the entry count");
    const std::int32_t count = archive.readInt32();
    // Every entry takes at least its 16 header bytes, so a larger count cannot be real.
    if (count < 0 || count > (fileSize - 8) / kEntryHeaderSize) {
        refuse(archive, "entry count " + std::to_string(count) + " does not fit in " +
                            std::to_string(fileSize) + " bytes");
    }

    std::int64_t pos = 8;
    ArchiveEntryInfo e;
    for (std::int32_t i = 0; i < count; ++i) {
        if (fileSize - pos < kEntryHeaderSize) {
            refuse(archive, "the file ends inside the header of " + entryLabel(i));
        }
        const std::int32_t entryLength = archive.readInt32();
        e.index = i;
        e.unpackedSize = archive.readInt32();
        e.compressed = archive.readInt32() != 0;
        const std::int32_t nameLength = archive.readInt32();
        if (entryLength < kEntryFieldsAfterLength) {
            refuse(archive, entryLabel(i) + " has EntryLength " + std::to_string(entryLength) +
                                ", below its 12 header bytes");
        }
        if (nameLength < 0 || nameLength > entryLength - kEntryFieldsAfterLength) {
            refuse(archive, entryLabel(i) + " has NameLength " + std::to_string(nameLength) +
                                ", which does not fit its EntryLength " +
                                std::to_string(entryLength));
        }
        const std::int64_t bodyLength = entryLength - kEntryFieldsAfterLength;
        if (bodyLength > fileSize - (pos + kEntryHeaderSize)) {
            refuse(archive, "the file is cut short inside " + entryLabel(i) + " (" +
                                std::to_string(bodyLength) + " bytes of name and data, " +
                                std::to_string(fileSize - pos - kEntryHeaderSize) + " left)");
        }
        e.name.assign(static_cast<std::size_t>(nameLength), '\0');
        archive.readExact(std::span(reinterpret_cast<Byte*>(e.name.data()),
                                    static_cast<std::size_t>(nameLength)));
        e.dataOffset = pos + kEntryHeaderSize + nameLength;
        e.dataLength = static_cast<std::int32_t>(bodyLength - nameLength);
        checkSizes(archive, e);
        if (!visit(e)) return true;
        pos = e.dataOffset + e.dataLength;
        archive.setPosition(pos);
    }
    return true;
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
        refuse(archive, entryLabel(entry.index) + " decodes to fewer bytes than it claims");
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
