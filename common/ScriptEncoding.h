// Which encoding a script is written in, and its conversion to the Shift-JIS the engine
// works on (docs/script-language.md, "Encodings"). No Qt: the web build uses it too.
//
// A script is UTF-8 when it starts with the UTF-8 byte order mark, or when it is valid
// UTF-8 and holds a byte above 0x7F; otherwise it is Shift-JIS. Shift-JIS with any Japanese
// in it is practically never valid UTF-8, and pure ASCII reads the same either way.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vornal {

enum class ScriptEncoding : std::uint8_t { ShiftJis, Utf8 };

// "Shift-JIS" or "UTF-8".
std::string_view EncodingName(ScriptEncoding encoding);
// The names of --encoding: "utf-8" or "shift-jis" (any letter case; also "utf8", "sjis").
std::optional<ScriptEncoding> ParseEncodingName(std::string_view name);

ScriptEncoding DetectEncoding(std::span<const std::uint8_t> text);

// A place where a script cannot be read as it should. Lines count from 0, as the engine's
// line indexes do; columns count characters from 1, as editors show them.
struct EncodingProblem {
    enum class Kind : std::uint8_t {
        Unconvertible,  // a UTF-8 character Shift-JIS cannot hold (`character`)
        InvalidUtf8,    // bytes that are no UTF-8, in a script read as UTF-8
        Utf8Line,       // a UTF-8 line in a script read as Shift-JIS: the two are mixed
    };
    Kind kind = Kind::Unconvertible;
    std::int32_t line = 0;
    std::int32_t column = 1;
    char32_t character = 0;
};

struct DecodedScript {
    std::vector<std::uint8_t> bytes;  // the engine's Shift-JIS; lines as in the original
    ScriptEncoding encoding = ScriptEncoding::ShiftJis;
    bool detected = true;  // false when the encoding was forced
    // At most one per line, in line order. A character that could not be converted is
    // '?' in `bytes`.
    std::vector<EncodingProblem> problems;
};

// Reads `text` as `forced`, or as DetectEncoding says. A UTF-8 script loses its byte order
// mark and is converted to Shift-JIS. A detected Shift-JIS script is searched for lines
// that are UTF-8 (a script that mixes both) only when `findMixedLines` is set. Stops
// collecting problems after `maxProblems`.
DecodedScript DecodeScript(std::span<const std::uint8_t> text, std::optional<ScriptEncoding> forced,
                           bool findMixedLines = false, std::size_t maxProblems = 1);

// "U+1F600": a character named where the character itself cannot be shown.
std::string CodePointName(char32_t character);
// The character in UTF-8.
std::string Utf8Of(char32_t character);

}  // namespace vornal
