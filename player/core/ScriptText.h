// The script's text: lines, fields and keyword codes (docs/script-language.md).
// Everything here works on Shift-JIS bytes and never converts them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vornal {

// Field cutting, the one rule used for blanks in lines, "/" in pattern words and ")" in
// expressions. CutToken removes field 0 and its separator from `text`, then every leading
// byte <= 32 of what is left, and returns field 0.
std::string_view CutToken(std::string_view& text, char separator);
// Field n (0-based) of `text`; empty beyond the last field.
std::string_view GetToken(std::string_view text, char separator, int n);
// 1 + the number of separators met while cutting; an empty text has one field.
int CountTokens(std::string_view text, char separator);
// `text` without the spaces and tabs at either end (lines typed by people: answers,
// walkthroughs).
std::string_view TrimBlanks(std::string_view text);
// An answer to a yes/no question as the text front ends take it: y, yes (any case) or はい
// is yes, n, no or いいえ is no (UTF-8); nullopt for anything else.
std::optional<bool> ParseYesNo(std::string_view utf8);
// One line of the message area may carry line breaks (the item list does): each piece
// between CR, LF or CR LF is shown as a line of its own, the last one too.
template <typename Each>
void ForEachShownLine(std::string_view text, Each each) {
    for (;;) {
        const std::size_t end = text.find_first_of("\r\n");
        each(text.substr(0, end));
        if (end == std::string_view::npos) return;
        text.remove_prefix(end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1));
    }
}

// The keyword codes of lines beginning with '*' or '>'.
enum KeywordCodes : std::int8_t {
    kwUnknown = 0,
    kwScene = 1,
    kwSceneEnd = 2,
    kwLabel = 3,
    kwItem = 4,
    kwItemEnd = 5,
    kwGoto = 6,
    kwIf = 7,
    kwEnd = 8,
    kwPicture = 9,
    kwSe = 10,
    kwBgm = 11,
    kwPattern = 12,
    kwAssign = 13,
    kwGetItem = 14,
    kwDelItem = 15,
    kwScreen = 16,
    kwTitle = 17,
    kwSave = 18,
    kwLoad = 19,
    kwItemList = 20,
    kwCls = 21,
    kwWait = 22,
    kwGosub = 23,
    kwInput = 24,
    kwYesNo = 25,
    kwSetInput = 26,
};

// Only meaningful for lines whose first byte is '*' or '>'.
int KeywordCode(std::string_view line);
// The keyword of a code ("*GOTO" for kwGoto); empty for codes that have none.
std::string_view KeywordName(int code);

// What the executor does with a line, decided once when the script is opened (the lines
// never change while it is open): a keyword code 0..26, or one of these.
enum LineKind : std::int8_t {
    lkStory = -1,  // shown in the message area
    lkSkip = -2,   // empty line or '#' comment
};
std::int8_t ClassifyLine(std::string_view line);

// Scripts larger than this are refused, by the player and by the checker alike.
inline constexpr std::int64_t kMaxScriptBytes = std::int64_t{64} << 20;

// Splits at CR LF, lone LF and lone CR; a final line end adds no empty line.
std::vector<std::string> SplitScriptLines(std::span<const std::uint8_t> text);

// A value field: optional sign and decimal digits, nothing else, within 32 bits.
std::optional<std::int32_t> ParseInteger(std::string_view field);

}  // namespace vornal
