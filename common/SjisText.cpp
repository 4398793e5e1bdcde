#include "common/SjisText.h"

#include <array>
#include <memory>

#include "common/SjisTable.inc"

namespace vornal::sjis {

namespace {

constexpr char32_t kNotACharacter = 0x110000;
constexpr std::uint16_t kNoCode = 0xFFFF;  // no byte is 0xFF, so no code is this

// One character at the start of `in`: the character and the bytes it took, or
// kNotACharacter and 1 when these bytes are no character.
std::pair<char32_t, std::size_t> decodeSjis(std::string_view in) {
    const auto lead = static_cast<unsigned char>(in[0]);
    if (lead < 0x80) return {lead, 1};
    if (lead >= 0xA1 && lead <= 0xDF) return {0xFF61 + lead - 0xA1, 1};
    if (!isLeadByte(lead) || in.size() < 2) return {kNotACharacter, 1};
    const auto trail = static_cast<unsigned char>(in[1]);
    if (trail < table::kFirstTrail || trail - table::kFirstTrail >= table::kTrails)
        return {kNotACharacter, 1};
    const unsigned row = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
    const char32_t c = table::kDoubleByte[row][trail - table::kFirstTrail];
    if (c == 0) return {kNotACharacter, 1};
    return {c, 2};
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | c >> 6));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        // The code page holds nothing beyond the Basic Multilingual Plane.
        out.push_back(static_cast<char>(0xE0 | c >> 12));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The code of every character of the Basic Multilingual Plane, kNoCode where there is none.
const std::array<std::uint16_t, 0x10000>& codesOfCharacters() {
    static const std::unique_ptr<std::array<std::uint16_t, 0x10000>> codes = [] {
        auto made = std::make_unique<std::array<std::uint16_t, 0x10000>>();
        made->fill(kNoCode);
        for (unsigned b = 0; b < 0x100; ++b) {
            const char byte = static_cast<char>(b);
            const char32_t c = decodeSjis(std::string_view(&byte, 1)).first;
            if (c != kNotACharacter) (*made)[c] = static_cast<std::uint16_t>(b);
        }
        // Where two codes hold one character, the later one is written back.
        for (unsigned row = 0; row < std::size(table::kDoubleByte); ++row) {
            const unsigned lead = row < 31 ? 0x81 + row : 0xE0 + row - 31;
            for (unsigned i = 0; i < table::kTrails; ++i) {
                const char32_t c = table::kDoubleByte[row][i];
                if (c != 0)
                    (*made)[c] = static_cast<std::uint16_t>(lead << 8 | (table::kFirstTrail + i));
            }
        }
        for (const auto& [c, code] : table::kFromUnicodeExtra)
            (*made)[c] = code;
        return made;
    }();
    return *codes;
}

// Length of the UTF-8 sequence at the start of `in` as its first byte announces it, when its
// continuation bytes are all there; else 1. A sequence that cannot be read is skipped this far.
std::size_t utf8SequenceLength(std::string_view in) {
    const auto lead = static_cast<unsigned char>(in[0]);
    const std::size_t n = (lead & 0xE0) == 0xC0   ? 2
                          : (lead & 0xF0) == 0xE0 ? 3
                          : (lead & 0xF8) == 0xF0 ? 4
                                                  : 1;
    if (n > in.size()) return 1;
    for (std::size_t i = 1; i < n; ++i) {
        if ((static_cast<unsigned char>(in[i]) & 0xC0) != 0x80) return 1;
    }
    return n;
}

// The character at the start of `in`, or nullopt for bytes that are not well-formed UTF-8
// (overlong forms, surrogates and values beyond U+10FFFF included).
std::optional<char32_t> decodeUtf8(std::string_view in, std::size_t length) {
    const auto lead = static_cast<unsigned char>(in[0]);
    if (length == 1) return lead < 0x80 ? std::optional<char32_t>(lead) : std::nullopt;
    char32_t c = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i)
        c = c << 6 | (static_cast<unsigned char>(in[i]) & 0x3F);
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    return c;
}

std::optional<std::string> fromUtf8Impl(std::string_view utf8, bool strict) {
    const auto& codes = codesOfCharacters();
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        const std::size_t length = utf8SequenceLength(utf8);
        const std::optional<char32_t> c = decodeUtf8(utf8, length);
        utf8.remove_prefix(length);
        if (c && *c >= table::kDroppedFirst && *c <= table::kDroppedLast) continue;
        const std::uint16_t code = c && *c < codes.size() ? codes[*c] : kNoCode;
        if (code == kNoCode) {
            if (strict) return std::nullopt;
            out.push_back('?');
        } else {
            if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
            out.push_back(static_cast<char>(code & 0xFF));
        }
    }
    return out;
}

}  // namespace

std::string toUtf8(std::string_view sjis) {
    std::string out;
    out.reserve(sjis.size() * 3 / 2);
    while (!sjis.empty()) {
        const auto [c, length] = decodeSjis(sjis);
        if (c == kNotACharacter) {
            out.append("\xEF\xBF\xBD");
        } else {
            appendUtf8(out, c);
        }
        sjis.remove_prefix(length);
    }
    return out;
}

std::string fromUtf8(std::string_view utf8) {
    return *fromUtf8Impl(utf8, false);
}

std::optional<std::string> fromUtf8Strict(std::string_view utf8) {
    return fromUtf8Impl(utf8, true);
}

std::string upperAscii(std::string_view sjis) {
    std::string out(sjis);
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (isLeadByte(c)) {
            ++i;  // the trail byte may look like a letter; it is not one
        } else if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

}  // namespace vornal::sjis
