#include "player/core/ScriptText.h"

#include <array>
#include <limits>

#include "common/ScriptLines.h"

namespace vornal {

namespace {

bool isBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// Slots 0, 12 and 13 hold no keyword: 0 is "unrecognised", 12 and 13 are decided by the
// first characters of the line.
constexpr std::array<std::string_view, 27> kKeywords = {
    "",         "*SCENE",   "*SCENEEND", "*LABEL", "*ITEM",  "*ITEMEND",  "*GOTO",
    "*IF",      "*END",     "*PICTURE",  "*SE",    "*BGM",   "",          "",
    "*GETITEM", "*DELITEM", "*SCREEN",   "*TITLE", "*SAVE",  "*LOAD",     "*ITEMLIST",
    "*CLS",     "*WAIT",    "*GOSUB",    "*INPUT", "*YESNO", "*SETINPUT",
};

}  // namespace

std::string_view CutToken(std::string_view& text, char separator) {
    auto pos = text.find(separator);
    if (pos == std::string_view::npos) {
        std::string_view field = text;
        text = {};
        return field;
    }
    std::string_view field = text.substr(0, pos);
    text.remove_prefix(pos + 1);
    while (!text.empty() && isBlankOrControl(text.front()))
        text.remove_prefix(1);
    return field;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::optional<bool> ParseYesNo(std::string_view utf8) {
    std::string lower(utf8);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (lower == "y" || lower == "yes" || utf8 == "はい") return true;
    if (lower == "n" || lower == "no" || utf8 == "いいえ") return false;
    return std::nullopt;
}

std::string_view GetToken(std::string_view text, char separator, int n) {
    for (int i = 0; i < n; ++i) {
        if (text.empty()) return {};
        CutToken(text, separator);
    }
    return CutToken(text, separator);
}

int CountTokens(std::string_view text, char separator) {
    int count = 1;
    while (text.find(separator) != std::string_view::npos) {
        CutToken(text, separator);
        ++count;
    }
    return count;
}

std::string_view KeywordName(int code) {
    if (code < 0 || static_cast<std::size_t>(code) >= kKeywords.size()) return {};
    return kKeywords[static_cast<std::size_t>(code)];
}

int KeywordCode(std::string_view line) {
    std::string_view field = CutToken(line, ' ');
    if (!field.empty() && field[0] == '>') return kwPattern;
    if (field.size() >= 3 && field[0] == '*' && (field[1] == 'F' || field[1] == 'I') &&
        field[2] == '(') {
        return kwAssign;
    }
    for (std::size_t code = 1; code < kKeywords.size(); ++code) {
        if (!kKeywords[code].empty() && kKeywords[code] == field) return static_cast<int>(code);
    }
    return kwUnknown;
}

std::int8_t ClassifyLine(std::string_view line) {
    if (line.empty() || line[0] == '#') return lkSkip;
    if (line[0] == '*' || line[0] == '>') return static_cast<std::int8_t>(KeywordCode(line));
    return lkStory;
}

std::vector<std::string> SplitScriptLines(std::span<const std::uint8_t> text) {
    std::vector<std::string> lines;
    ForEachScriptLine(text, [&lines](std::span<const std::uint8_t> line, auto) {
        lines.emplace_back(reinterpret_cast<const char*>(line.data()), line.size());
    });
    return lines;
}

std::optional<std::int32_t> ParseInteger(std::string_view field) {
    bool negative = false;
    if (!field.empty() && (field[0] == '-' || field[0] == '+')) {
        negative = field[0] == '-';
        field.remove_prefix(1);
    }
    if (field.empty()) return std::nullopt;
    const std::int64_t limit =
        negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                 : std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (char c : field) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

}  // namespace vornal
