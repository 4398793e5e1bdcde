#include "player/core/SaveFile.h"

#include <algorithm>

#include "codec/Archive.h"
#include "codec/zmCompress.h"

namespace vornal::save {

namespace {

// A count of `width`-byte values that must fit in what is left of `in` and in `most`.
std::int32_t readCount(MemoryStream& in, const char* what, std::int64_t width, std::int64_t most) {
    const std::int32_t n = in.readInt32();
    if (n < 0 || n > most || n * width > in.remaining()) {
        throw SaveFormatError(std::string("the state record's ") + what + " is " +
                              std::to_string(n));
    }
    return n;
}

}  // namespace

// Reads the record front to back; running past its end is a read error, which the caller
// reports as a damaged file.
GameState DecodeState(std::vector<Byte> record, const ScriptLimits& limits) {
    MemoryStream in(std::move(record));
    GameState state;
    const auto inScript = [&](std::int32_t line) { return line >= 0 && line <= limits.lineCount; };
    in.readInt32();  // the format number, not compared: the layout has never changed
    state.scene = in.readInt32();
    if (!inScript(state.scene)) throw SaveFormatError("the scene lies outside the script");
    state.musicLoaded = in.readInt32() != 0;
    state.musicLoop = in.readInt32() != 0;
    state.song.resize(static_cast<std::size_t>(readCount(in, "song name length", 1, INT32_MAX)));
    in.readExact(std::span(reinterpret_cast<Byte*>(state.song.data()), state.song.size()));

    state.flags.resize(static_cast<std::size_t>(readCount(in, "flag count", 4, kMaxFlags)));
    for (std::int32_t& value : state.flags)
        value = in.readInt32();

    state.hasItems = in.remaining() > 0;
    if (state.hasItems) {
        const auto most = static_cast<std::int64_t>(limits.itemCount);
        state.items.resize(static_cast<std::size_t>(readCount(in, "item count", 4, most)));
        for (std::int32_t& value : state.items)
            value = in.readInt32();
    }
    state.hasStack = in.remaining() > 0;
    if (state.hasStack) {
        state.stack.resize(
            static_cast<std::size_t>(readCount(in, "stack depth", 8, limits.maxStackDepth)));
        for (sStackEntry& entry : state.stack) {
            entry.Scene = in.readInt32();
            entry.Line = in.readInt32();
            if (!inScript(entry.Scene) || !inScript(entry.Line))
                throw SaveFormatError("a stack entry lies outside the script");
        }
    }
    if (in.remaining() != 0) throw SaveFormatError("the state record is longer than its fields");
    return state;
}

std::vector<Byte> ReadPackedMember(MemoryStream& file, std::int32_t index, std::int64_t limit) {
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

void AddPackedMember(StreamBundleWriter& bundle, std::span<const Byte> bytes) {
    MemoryStream source(std::vector<Byte>(bytes.begin(), bytes.end()));
    MemoryStream member;
    member.writeInt32(static_cast<std::int32_t>(bytes.size()));
    TzmLZSSCompress().Compress(source, member, static_cast<std::int32_t>(bytes.size()));
    bundle.add(member);
}

std::vector<Byte> EncodeState(const GameState& state) {
    MemoryStream out;
    out.writeInt32(kFormatNumber);
    out.writeInt32(state.scene);
    out.writeInt32(state.musicLoaded ? 1 : 0);
    out.writeInt32(state.musicLoop ? 1 : 0);
    const std::string_view song = state.musicLoaded ? std::string_view(state.song) : "";
    out.writeInt32(static_cast<std::int32_t>(song.size()));
    out.writeExact(std::span(reinterpret_cast<const Byte*>(song.data()), song.size()));
    out.writeInt32(kSavedFlags);
    for (std::int32_t i = 0; i < kSavedFlags; ++i)
        out.writeInt32(static_cast<std::size_t>(i) < state.flags.size() ? state.flags[i] : 0);
    out.writeInt32(static_cast<std::int32_t>(state.items.size()));
    for (std::int32_t value : state.items)
        out.writeInt32(value);
    out.writeInt32(static_cast<std::int32_t>(state.stack.size()));
    for (const sStackEntry& entry : state.stack) {
        out.writeInt32(entry.Scene);
        out.writeInt32(entry.Line);
    }
    return out.takeBytes();
}

void WriteSaveFile(Stream& dest, std::span<const Byte> pictureBmp, std::span<const Byte> state) {
    dest.writeExact(kMagic);
    StreamBundleWriter bundle(dest, 2);
    AddPackedMember(bundle, pictureBmp);
    AddPackedMember(bundle, state);
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
        contents.picture = ReadPackedMember(stream, 0, kMaxPictureBytes);
        std::vector<Byte> record = ReadPackedMember(stream, 1, kMaxStateBytes);
        if (stream.remaining() != 0) throw SaveFormatError("bytes follow the last member");
        contents.state = DecodeState(std::move(record), limits);
    } catch (const StreamError& error) {
        throw SaveFormatError(error.what());
    }
    return contents;
}

}  // namespace vornal::save
