#include "player/core/ResumeFile.h"

#include <algorithm>
#include <string>

#include "codec/Archive.h"
#include "player/core/MessageArea.h"
#include "player/core/ScriptModel.h"

namespace vornal::resume {

namespace {

using save::SaveFormatError;

void writeText(MemoryStream& out, const std::string& text) {
    out.writeInt32(static_cast<std::int32_t>(text.size()));
    out.writeExact(std::span(reinterpret_cast<const Byte*>(text.data()), text.size()));
}

std::string readText(MemoryStream& in) {
    const std::int32_t size = in.readInt32();
    if (size < 0 || size > in.remaining()) throw SaveFormatError("a text runs past the record");
    std::string text(static_cast<std::size_t>(size), '\0');
    in.readExact(std::span(reinterpret_cast<Byte*>(text.data()), text.size()));
    return text;
}

std::int32_t readWithin(MemoryStream& in, const char* what, std::int64_t low, std::int64_t high) {
    const std::int32_t value = in.readInt32();
    if (value < low || value > high)
        throw SaveFormatError(std::string("the session record's ") + what + " is " +
                              std::to_string(value));
    return value;
}

std::vector<Byte> encodeSession(const Snapshot& s, std::uint64_t scriptKey) {
    MemoryStream out;
    out.writeInt32(kFormatNumber);
    out.writeInt32(static_cast<std::int32_t>(scriptKey & 0xFFFFFFFFu));
    out.writeInt32(static_cast<std::int32_t>(scriptKey >> 32));
    out.writeInt32(s.keptFlag);
    out.writeInt32(s.areaWidth);
    out.writeInt32(s.areaHeight);
    out.writeInt32(s.inputEnabled ? 1 : 0);
    out.writeInt32(s.waiting ? 1 : 0);
    out.writeInt32(s.line);
    out.writeInt32(s.waitCount);
    writeText(out, s.caption);
    writeText(out, s.pictureName);
    out.writeInt32(static_cast<std::int32_t>(s.messages.size()));
    for (const std::string& line : s.messages)
        writeText(out, line);
    return out.takeBytes();
}

void decodeSession(std::vector<Byte> record, std::uint64_t scriptKey,
                   const save::ScriptLimits& limits, Snapshot& s) {
    MemoryStream in(std::move(record));
    if (in.readInt32() != kFormatNumber) throw SaveFormatError("unknown session record format");
    const auto low = static_cast<std::uint32_t>(in.readInt32());
    const auto high = static_cast<std::uint32_t>(in.readInt32());
    if ((std::uint64_t{high} << 32 | low) != scriptKey)
        throw SaveFormatError("the resume point belongs to another script");
    s.keptFlag = in.readInt32();
    s.areaWidth = readWithin(in, "area width", 0, kMaxPictureSide);
    s.areaHeight = readWithin(in, "area height", 0, kMaxPictureSide);
    s.inputEnabled = in.readInt32() != 0;
    s.waiting = in.readInt32() != 0;
    s.line = readWithin(in, "line", 0, limits.lineCount);
    s.waitCount = readWithin(in, "wait count", 0, INT32_MAX);
    s.caption = readText(in);
    s.pictureName = readText(in);
    // Each line takes at least its length field.
    const std::int32_t count = readWithin(
        in, "line count", 0, std::min<std::int64_t>(MessageArea::kMaxLines, in.remaining() / 4));
    s.messages.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i)
        s.messages.push_back(readText(in));
    if (in.remaining() != 0) throw SaveFormatError("the session record is longer than its fields");
}

}  // namespace

std::vector<Byte> Encode(const Snapshot& snapshot, std::uint64_t scriptKey,
                         const PictureCodec* pictures) {
    std::vector<Byte> picture;
    if (snapshot.picture && pictures) picture = pictures->encodeBmp(*snapshot.picture);
    MemoryStream out;
    out.writeExact(kMagic);
    StreamBundleWriter bundle(out, 3);
    save::AddPackedMember(bundle, picture);
    save::AddPackedMember(bundle, snapshot.record);
    save::AddPackedMember(bundle, encodeSession(snapshot, scriptKey));
    bundle.finish();
    return out.takeBytes();
}

Snapshot Decode(std::vector<Byte> file, std::uint64_t scriptKey, const save::ScriptLimits& limits,
                const PictureCodec* pictures) {
    if (file.size() < kMagic.size() || !std::equal(kMagic.begin(), kMagic.end(), file.begin()))
        throw SaveFormatError("not a resume file");
    MemoryStream stream(std::move(file));
    Snapshot s;
    try {
        stream.setPosition(static_cast<std::int64_t>(kMagic.size()));
        if (stream.readInt32() != 3)
            throw SaveFormatError("the bundle does not hold three members");
        std::vector<Byte> picture = save::ReadPackedMember(stream, 0, save::kMaxPictureBytes);
        s.record = save::ReadPackedMember(stream, 1, save::kMaxStateBytes);
        std::vector<Byte> session = save::ReadPackedMember(stream, 2, kMaxSessionBytes);
        if (stream.remaining() != 0) throw SaveFormatError("bytes follow the last member");
        // Checked here, so that restoring it cannot fail.
        save::DecodeState(s.record, limits);
        decodeSession(std::move(session), scriptKey, limits, s);
        if (!picture.empty()) {
            if (!pictures) throw PictureError("no picture decoder");
            s.picture =
                std::make_shared<const Bitmap>(pictures->decode(picture, PictureFormat::Bmp));
        }
    } catch (const StreamError& error) {
        throw SaveFormatError(error.what());
    }
    return s;
}

}  // namespace vornal::resume
