#include "codec/ArchiveWriter.h"

#include <limits>

namespace vornal {

void BuildArchiveEntry(MemoryStream& entry, std::string_view name, Stream& source,
                       std::int32_t size, TzmLZSSCompress& codec) {
    if (size < 0) throw StreamError("negative size for '" + source.name() + "'");
    if (name.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() / 2)) {
        throw StreamError("entry name too long for '" + source.name() + "'");
    }
    entry.clear();
    entry.setName(source.name());
    entry.writeInt32(size);
    entry.writeInt32(1);  // always compressed, as every archive of ours is
    entry.writeInt32(static_cast<std::int32_t>(name.size()));
    entry.write(std::span(reinterpret_cast<const Byte*>(name.data()), name.size()));
    const std::int64_t start = source.position();
    codec.Compress(source, entry, size);
    // The codec reads block by block as far as the source goes; a source holding more or
    // fewer bytes than announced would make UnpackedSize lie.
    if (source.position() - start != size) {
        throw StreamError(
            "'" + source.name() + "' changed while being packed: " + std::to_string(size) +
            " bytes expected, " + std::to_string(source.position() - start) + " read");
    }
}

Stream& ArchiveWriter::withMagic(Stream& out) {
    out.write(kArchiveMagic);
    return out;
}

ArchiveWriter::ArchiveWriter(Stream& out, std::int32_t entryCount)
    : bundle_(withMagic(out), entryCount) {}

void ArchiveWriter::addEntry(std::string_view name, Stream& source, std::int32_t size) {
    BuildArchiveEntry(entry_, name, source, size, codec_);
    bundle_.add(entry_);
}

}  // namespace vornal
