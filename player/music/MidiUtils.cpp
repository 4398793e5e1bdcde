#include "player/music/MidiUtils.h"

#include <algorithm>

#include "common/SjisText.h"

namespace vornal {

const std::string& NotSmfText() {
    static const std::string text =
        sjis::fromUtf8("スタンダード・ミディ・フォーマットのファイルではありません");
    return text;
}

const std::string& BadMidiFormatText() {
    static const std::string text =
        sjis::fromUtf8("正しいMIDIフォーマットのファイルではありません");
    return text;
}

Byte MidiPos::peek() {
    if (pos < end) return data[pos];
    overrun = true;
    return 0;
}

Byte MidiPos::take() {
    const Byte b = peek();
    if (pos < end) ++pos;
    return b;
}

void MidiPos::skip(std::uint64_t count) {
    if (count > left()) {
        overrun = true;
        pos = std::max(pos, end);
        return;
    }
    pos += static_cast<std::size_t>(count);
}

namespace {

bool IsTag(MidiPos& p, const char* tag) {
    bool same = true;
    for (int i = 0; i < 4; ++i)
        same = (p.take() == static_cast<Byte>(tag[i])) && same;
    return same;
}

}  // namespace

bool IsHeaderTag(MidiPos& p) {
    return IsTag(p, "MThd");
}

bool IsTrackTag(MidiPos& p) {
    return IsTag(p, "MTrk");
}

std::uint32_t ReadNumber(MidiPos& p, int n) {
    if (n < 1 || n > 4) return 0;
    std::uint32_t value = 0;
    for (int i = 0; i < n; ++i)
        value = (value << 8) | p.take();
    return value;
}

std::uint32_t ReadVarLen(MidiPos& p) {
    std::uint32_t value = 0;
    for (;;) {
        const Byte b = p.take();
        value = (value << 7) | (b & 0x7F);
        if ((b & 0x80) == 0 || p.overrun) return value;
    }
}

std::string ReadText(MidiPos& p, std::uint32_t count) {
    // Never allocate more than the span holds, whatever the file says.
    const std::size_t n = std::min<std::size_t>(count, p.left());
    std::string text(reinterpret_cast<const char*>(p.data.data() + p.pos), n);
    p.skip(count);
    return text;
}

bool ReadHeader(MidiPos& p, TMidiHeader& header) {
    if (!IsHeaderTag(p)) {
        header = {};
        throw EMidiError(NotSmfText());
    }
    header.Length = ReadNumber(p, 4);
    header.Format = static_cast<std::uint16_t>(ReadNumber(p, 2));
    header.Tracks = static_cast<std::uint16_t>(ReadNumber(p, 2));
    header.Division = static_cast<std::uint16_t>(ReadNumber(p, 2));
    if (header.Length == 0 || header.Tracks >= kMaxTracks || header.Division == 0)
        throw EMidiError(BadMidiFormatText());
    return true;
}

bool ReadTrackHeader(MidiPos& p, TTrackHeader& header) {
    if (!IsTrackTag(p)) {
        header.Length = 0;
        throw EMidiError(BadMidiFormatText());
    }
    header.Length = ReadNumber(p, 4);
    return true;
}

}  // namespace vornal
