// The encoding half of the checker: the script read as the player reads it, and what
// stands in the way of that.
#include <algorithm>

#include "player/check/ScriptCheck.h"

namespace vornal::check {

namespace {

// One finding per line at most, so this many cover any script worth reading.
constexpr std::size_t kMaxEncodingFindings = 10'000;

std::string explain(const EncodingProblem& problem, bool byteOrderMark) {
    switch (problem.kind) {
        case EncodingProblem::Kind::Unconvertible: {
            std::string text = "the character " + CodePointName(problem.character);
            // Shown as itself unless it is a control character.
            if (problem.character >= 0x20 && problem.character != 0x7F)
                text += " '" + Utf8Of(problem.character) + "'";
            return text + " cannot be written in Shift-JIS, which the player works in";
        }
        case EncodingProblem::Kind::InvalidUtf8:
            return std::string("these bytes are no UTF-8, but the script is read as UTF-8") +
                   (byteOrderMark ? " (it starts with a byte order mark)" : "") +
                   ": the script mixes UTF-8 and Shift-JIS, or is Shift-JIS throughout";
        case EncodingProblem::Kind::Utf8Line:
            break;
    }
    return "this line is UTF-8, but the rest of the script is Shift-JIS: the script mixes "
           "both, and the player shows this line garbled";
}

}  // namespace

CheckedScript CheckScriptFile(std::span<const Byte> raw, const DataFiles& data,
                              std::optional<ScriptEncoding> forced) {
    const DecodedScript decoded = DecodeScript(raw, forced, true, kMaxEncodingFindings);
    CheckedScript checked{decoded.encoding, CheckScript(decoded.bytes, data)};
    const bool byteOrderMark =
        raw.size() >= 3 && raw[0] == 0xEF && raw[1] == 0xBB && raw[2] == 0xBF;
    std::vector<Finding> found;
    for (const EncodingProblem& problem : decoded.problems)
        found.push_back(
            {problem.line, Severity::Error, explain(problem, byteOrderMark), problem.column});
    const bool highBytes = std::any_of(raw.begin(), raw.end(), [](Byte b) { return b >= 0x80; });
    if (forced && highBytes) {
        if (const ScriptEncoding detected = DetectEncoding(raw); detected != *forced) {
            found.push_back({0, Severity::Warning,
                             "read as " + std::string(EncodingName(*forced)) +
                                 " as asked, but the player reads this script as " +
                                 std::string(EncodingName(detected)) +
                                 " unless it is given the same --encoding"});
        }
    }
    checked.findings.insert(checked.findings.begin(), found.begin(), found.end());
    std::stable_sort(checked.findings.begin(), checked.findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return checked;
}

}  // namespace vornal::check
