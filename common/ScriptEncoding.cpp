#include "common/ScriptEncoding.h"

#include <cstdio>

#include "common/ScriptLines.h"
#include "common/SjisText.h"

namespace vornal {

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool inRange(std::uint8_t byte, std::uint8_t low, std::uint8_t high) {
    return byte >= low && byte <= high;
}

// Length of the well-formed UTF-8 sequence at the start of `text` (1 to 4) with its code
// point, or 0 when the bytes are no UTF-8 (overlong forms and surrogates included).
std::size_t utf8Sequence(Bytes text, char32_t& character) {
    const std::uint8_t lead = text[0];
    if (lead < 0x80) {
        character = lead;
        return 1;
    }
    std::size_t length = 0;
    std::uint8_t low = 0x80;  // the second byte's range, narrowed for some leads
    std::uint8_t high = 0xBF;
    if (inRange(lead, 0xC2, 0xDF)) {
        length = 2;
    } else if (inRange(lead, 0xE0, 0xEF)) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (inRange(lead, 0xF0, 0xF4)) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length || !inRange(text[1], low, high)) return 0;
    char32_t value = lead & (0xFF >> (length + 1));
    for (std::size_t i = 1; i < length; ++i) {
        if (!inRange(text[i], 0x80, 0xBF)) return 0;
        value = (value << 6) | (text[i] & 0x3F);
    }
    character = value;
    return length;
}

// Whether `text` is UTF-8 throughout; `wide` tells whether it holds a sequence of
// `wideLength` bytes or more.
bool isUtf8(Bytes text, std::size_t wideLength, bool& wide) {
    wide = false;
    char32_t character = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = utf8Sequence(text.subspan(i), character);
        if (n == 0) return false;
        wide = wide || n >= wideLength;
        i += n;
    }
    return true;
}

std::string_view asChars(Bytes text) {
    return {reinterpret_cast<const char*>(text.data()), text.size()};
}

class Decoder {
public:
    Decoder(DecodedScript& out, std::size_t maxProblems) : out_(out), max_(maxProblems) {}

    void append(std::string_view bytes) {
        out_.bytes.insert(out_.bytes.end(), bytes.begin(), bytes.end());
    }
    void append(Bytes bytes) { out_.bytes.insert(out_.bytes.end(), bytes.begin(), bytes.end()); }

    // One line of a UTF-8 script, character by character: only lines that failed as a
    // whole come here.
    void convertLine(Bytes line, std::int32_t index) {
        bool reported = false;
        std::int32_t column = 1;
        for (std::size_t i = 0; i < line.size(); ++column) {
            char32_t character = 0;
            const std::size_t n = utf8Sequence(line.subspan(i), character);
            std::optional<std::string> converted;
            if (n != 0) converted = sjis::fromUtf8Strict(asChars(line.subspan(i, n)));
            if (converted) {
                append(*converted);
            } else {
                append(std::string_view("?"));
                if (!reported) {
                    report({n == 0 ? EncodingProblem::Kind::InvalidUtf8
                                   : EncodingProblem::Kind::Unconvertible,
                            index, column, character});
                }
                reported = true;
            }
            i += n == 0 ? 1 : n;
        }
    }

    void report(const EncodingProblem& problem) {
        if (out_.problems.size() < max_) out_.problems.push_back(problem);
    }

private:
    DecodedScript& out_;
    std::size_t max_;
};

void convertUtf8(Bytes text, DecodedScript& out, std::size_t maxProblems) {
    if (asChars(text).starts_with(kBom)) text = text.subspan(kBom.size());
    if (auto whole = sjis::fromUtf8Strict(asChars(text))) {
        out.bytes.assign(whole->begin(), whole->end());
        return;
    }
    Decoder decoder(out, maxProblems);
    std::int32_t index = 0;
    ForEachScriptLine(text, [&](Bytes line, Bytes terminator) {
        if (auto converted = sjis::fromUtf8Strict(asChars(line)))
            decoder.append(*converted);
        else
            decoder.convertLine(line, index);
        decoder.append(terminator);
        ++index;
    });
}

// Every Japanese character takes three bytes in UTF-8; Shift-JIS half-width katakana can
// pair up into two-byte UTF-8 by chance, so only lines with a longer sequence count.
void findUtf8Lines(Bytes text, DecodedScript& out, std::size_t maxProblems) {
    Decoder decoder(out, maxProblems);
    std::int32_t index = 0;
    ForEachScriptLine(text, [&](Bytes line, Bytes) {
        bool wide = false;
        if (isUtf8(line, 3, wide) && wide) {
            std::int32_t column = 1;
            char32_t character = 0;
            for (std::size_t i = 0; i < line.size() && line[i] < 0x80; ++column)
                i += utf8Sequence(line.subspan(i), character);
            decoder.report({EncodingProblem::Kind::Utf8Line, index, column, 0});
        }
        ++index;
    });
}

}  // namespace

std::string_view EncodingName(ScriptEncoding encoding) {
    return encoding == ScriptEncoding::Utf8 ? "UTF-8" : "Shift-JIS";
}

std::optional<ScriptEncoding> ParseEncodingName(std::string_view name) {
    const std::string upper = sjis::upperAscii(name);
    if (upper == "UTF-8" || upper == "UTF8") return ScriptEncoding::Utf8;
    if (upper == "SHIFT-JIS" || upper == "SHIFT_JIS" || upper == "SJIS")
        return ScriptEncoding::ShiftJis;
    return std::nullopt;
}

ScriptEncoding DetectEncoding(std::span<const std::uint8_t> text) {
    if (asChars(text).starts_with(kBom)) return ScriptEncoding::Utf8;
    bool high = false;
    return isUtf8(text, 2, high) && high ? ScriptEncoding::Utf8 : ScriptEncoding::ShiftJis;
}

DecodedScript DecodeScript(std::span<const std::uint8_t> text, std::optional<ScriptEncoding> forced,
                           bool findMixedLines, std::size_t maxProblems) {
    DecodedScript out;
    out.detected = !forced.has_value();
    out.encoding = forced ? *forced : DetectEncoding(text);
    if (out.encoding == ScriptEncoding::Utf8) {
        convertUtf8(text, out, maxProblems);
        return out;
    }
    out.bytes.assign(text.begin(), text.end());
    if (findMixedLines && out.detected) findUtf8Lines(text, out, maxProblems);
    return out;
}

std::string CodePointName(char32_t character) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(character));
    return name;
}

std::string Utf8Of(char32_t c) {
    const auto byte = [](char32_t value) { return static_cast<char>(value); };
    if (c < 0x80) return {byte(c)};
    if (c < 0x800) return {byte(0xC0 | (c >> 6)), byte(0x80 | (c & 0x3F))};
    if (c < 0x10000)
        return {byte(0xE0 | (c >> 12)), byte(0x80 | ((c >> 6) & 0x3F)), byte(0x80 | (c & 0x3F))};
    return {byte(0xF0 | (c >> 18)), byte(0x80 | ((c >> 12) & 0x3F)), byte(0x80 | ((c >> 6) & 0x3F)),
            byte(0x80 | (c & 0x3F))};
}

}  // namespace vornal
