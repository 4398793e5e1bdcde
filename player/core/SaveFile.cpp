#include "player/core/SaveFile.h"

#include <algorithm>

#include "codec/Archive.h"
#include "codec/zmCompress.h"

namespace vornal::save {

namespace {

void putInt32(std::vector<Byte>& out, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<Byte>(v >> shift));
}

// Reads the record front to back; running past its end is a damaged record.
class RecordReader {
public:
    explicit RecordReader(std::span<const Byte> bytes) : bytes_(bytes) {}

    std::size_t remaining() const { return bytes_.size() - pos_; }

    std::int32_t int32(const char* what) {
        const std::span<const Byte> b = take(4, what);
        return static_cast<std::int32_t>(
            static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
            static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
    }

    // A count of `width`-byte values that must fit in what is left and in `most`.
    std::int32_t count(const char* what, std::size_t width, std::int64_t most) {
        const std::int32_t n = int32(what);
        if (n < 0 || n > most || static_cast<std::size_t>(n) * width > remaining()) {
            throw SaveFormatError(std::string("the state record's ") + what + " is " +
                                  std::to_string(n));
        }
        return n;
    }

    std::span<const Byte> take(std::size_t n, const char* what) {
        if (n > remaining())
            throw SaveFormatError(std::string("the state record ends inside its ") + what);
        const std::span<const Byte> b = bytes_.subspan(pos_, n);
        pos_ += n;
        return b;
    }

private:
    std::span<const Byte> bytes_;
    std::size_t pos_ = 0;
};

GameState decodeState(std::span<const Byte> record, const ScriptLimits& limits) {
    RecordReader in(record);
    GameState state;
    const auto inScript = [&](std::int32_t line) { return line >= 0 && line <= limits.lineCount; };
    in.int32("format number");  // not compared: the layout has never changed
    state.scene = in.int32("scene");
    if (!inScript(state.scene)) throw SaveFormatError("the scene lies outside the script");
    state.musicLoaded = in.int32("music flag") != 0;
    state.musicLoop = in.int32("loop flag") != 0;
    const std::int32_t songLength = in.count("song name length", 1, INT32_MAX);
    const std::span<const Byte> song = in.take(static_cast<std::size_t>(songLength), "song name");
    state.song.assign(song.begin(), song.end());

    const std::int32_t flags = in.count("flag count", 4, kMaxFlags);
    for (std::int32_t i = 0; i < flags; ++i)
        state.flags.push_back(in.int32("flags"));

    state.hasItems = in.remaining() > 0;
    if (state.hasItems) {
        const auto most = static_cast<std::int64_t>(limits.itemCount);
        const std::int32_t items = in.count("item count", 4, most);
        for (std::int32_t i = 0; i < items; ++i)
            state.items.push_back(in.int32("items"));
    }
    state.hasStack = in.remaining() > 0;
    if (state.hasStack) {
        const std::int32_t entries = in.count("stack depth", 8, limits.maxStackDepth);
        for (std::int32_t i = 0; i < entries; ++i) {
            sStackEntry entry;
            entry.Scene = in.int32("stack");
            entry.Line = in.int32("stack");
            if (!inScript(entry.Scene) || !inScript(entry.Line))
                throw SaveFormatError("a stack entry lies outside the script");
            state.stack.push_back(entry);
        }
    }
    if (in.remaining() != 0) throw SaveFormatError("the state record is longer than its fields");
    return state;
}

// One member: its uncompressed size, then the LZSS data that decodes to exactly that.
std::vector<Byte> readMember(MemoryStream& file, std::int32_t index, std::int64_t limit) {
    MemoryStream member;
    file.setPosition(static_cast<std::int64_t>(kMagic.size()));
    ReadBundleMember(index, file, member);
    const std::int32_t size = member.readInt32();
    const std::int64_t stored = member.remaining();
    if (size < 0 || size > limit || size > MaxDecodedSize(stored)) {
        throw SaveFormatError("member " + std::to_string(index) + " claims " +
                              std::to_string(size) + " bytes from " + std::to_string(stored));
    }
    MemoryStream out;
    out.reserve(static_cast<std::size_t>(size));
    TzmLZSSCompress().Decompress(member, out, size);
    std::vector<Byte> bytes = out.takeBytes();
    bytes.resize(static_cast<std::size_t>(size));  // the last token may run past the size
    return bytes;
}

void addMember(StreamBundleWriter& bundle, std::span<const Byte> bytes) {
    MemoryStream source(std::vector<Byte>(bytes.begin(), bytes.end()));
    MemoryStream member;
    member.writeInt32(static_cast<std::int32_t>(bytes.size()));
    TzmLZSSCompress().Compress(source, member, static_cast<std::int32_t>(bytes.size()));
    bundle.add(member);
}

}  // namespace

std::vector<Byte> EncodeState(const GameState& state) {
    std::vector<Byte> out;
    putInt32(out, kFormatNumber);
    putInt32(out, state.scene);
    putInt32(out, state.musicLoaded ? 1 : 0);
    putInt32(out, state.musicLoop ? 1 : 0);
    const std::string_view song = state.musicLoaded ? std::string_view(state.song) : "";
    putInt32(out, static_cast<std::int32_t>(song.size()));
    out.insert(out.end(), song.begin(), song.end());
    putInt32(out, kSavedFlags);
    for (std::int32_t i = 0; i < kSavedFlags; ++i)
        putInt32(out, static_cast<std::size_t>(i) < state.flags.size() ? state.flags[i] : 0);
    putInt32(out, static_cast<std::int32_t>(state.items.size()));
    for (std::int32_t value : state.items)
        putInt32(out, value);
    putInt32(out, static_cast<std::int32_t>(state.stack.size()));
    for (const sStackEntry& entry : state.stack) {
        putInt32(out, entry.Scene);
        putInt32(out, entry.Line);
    }
    return out;
}

void WriteSaveFile(Stream& dest, std::span<const Byte> pictureBmp, std::span<const Byte> state) {
    dest.writeExact(kMagic);
    StreamBundleWriter bundle(dest, 2);
    addMember(bundle, pictureBmp);
    addMember(bundle, state);
    bundle.finish();
}

Contents ReadSaveFile(std::vector<Byte> file, const ScriptLimits& limits) {
    if (file.size() < kMagic.size() || !std::equal(kMagic.begin(), kMagic.end(), file.begin()))
        throw SaveFormatError("not a save file");
    MemoryStream stream(std::move(file));
    Contents contents;
    try {
        stream.setPosition(static_cast<std::int64_t>(kMagic.size()));
        if (stream.readInt32() != 2) throw SaveFormatError("the bundle does not hold two members");
        contents.picture = readMember(stream, 0, kMaxPictureBytes);
        const std::vector<Byte> record = readMember(stream, 1, kMaxStateBytes);
        if (stream.remaining() != 0) throw SaveFormatError("bytes follow the last member");
        contents.state = decodeState(record, limits);
    } catch (const StreamError& error) {
        throw SaveFormatError(error.what());
    }
    return contents;
}

}  // namespace vornal::save
