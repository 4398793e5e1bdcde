#include "player/core/ScriptText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vornal {
namespace {

struct FieldCase {
    std::string text;
    char separator;
    int count;
    std::vector<std::string> fields;  // fields 0..count (one beyond the last: empty)
};

TEST(ScriptText, CutsFieldsByTheOneRule) {
    const std::vector<FieldCase> cases = {
        {"*GOTO room", ' ', 2, {"*GOTO", "room", ""}},
        {"*GOTO  room", ' ', 2, {"*GOTO", "room", ""}},
        {"*GOTO room ", ' ', 3, {"*GOTO", "room", "", ""}},
        {" *GOTO room", ' ', 3, {"", "*GOTO", "room", ""}},
        {"", ' ', 1, {"", ""}},
        {"a\tb c", ' ', 2, {"a\tb", "c", ""}},
        {"a \t\x01 b", ' ', 2, {"a", "b", ""}},
        // The full-width blank (0x81 0x40) is not a separator.
        {"a\x81\x40"
         "b c",
         ' ',
         2,
         {"a\x81\x40"
          "b",
          "c", ""}},
        {"look/see", '/', 2, {"look", "see", ""}},
        {"look/ see", '/', 2, {"look", "see", ""}},
        {"look /see", '/', 2, {"look ", "see", ""}},
        {"look/", '/', 2, {"look", "", ""}},
        {"2))", ')', 3, {"2", "", "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CountTokens(c.text, c.separator), c.count);
        for (std::size_t n = 0; n < c.fields.size(); ++n)
            EXPECT_EQ(GetToken(c.text, c.separator, static_cast<int>(n)), c.fields[n]) << n;
    }
}

TEST(ScriptText, CutTokenConsumesFieldAndBlanks) {
    std::string_view text = "*IF  F(1)>2 L";
    EXPECT_EQ(CutToken(text, ' '), "*IF");
    EXPECT_EQ(text, "F(1)>2 L");
    EXPECT_EQ(CutToken(text, ' '), "F(1)>2");
    EXPECT_EQ(CutToken(text, ' '), "L");
    EXPECT_EQ(text, "");
}

TEST(ScriptText, KeywordCodes) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"*SCENE hall", kwScene},
        {"*SCENE", kwScene},
        {"*SCENEEND", kwSceneEnd},
        {"*LABEL a", kwLabel},
        {"*ITEM", kwItem},
        {"*ITEMEND", kwItemEnd},
        {"*GOTO a", kwGoto},
        {"*IF F(1)=1 a", kwIf},
        {"*END", kwEnd},
        {"*PICTURE a", kwPicture},
        {"*SE a", kwSe},
        {"*BGM a 0", kwBgm},
        {">look", kwPattern},
        {">", kwPattern},
        {"*F(3)=1", kwAssign},
        {"*I(key)=1", kwAssign},
        {"*GETITEM a", kwGetItem},
        {"*DELITEM a", kwDelItem},
        {"*SCREEN 1 2", kwScreen},
        {"*TITLE x", kwTitle},
        {"*SAVE 1", kwSave},
        {"*LOAD 1", kwLoad},
        {"*ITEMLIST", kwItemList},
        {"*CLS", kwCls},
        {"*WAIT 3", kwWait},
        {"*GOSUB a", kwGosub},
        {"*INPUT p F(1)", kwInput},
        {"*YESNO q a b", kwYesNo},
        {"*SETINPUT 1", kwSetInput},
        // Unrecognised: case, no blank after the keyword, prefixes, a lone '*'.
        {"*Goto room", kwUnknown},
        {"*GOTOroom", kwUnknown},
        {"*scene", kwUnknown},
        {"*", kwUnknown},
        {"*F (3)=1", kwUnknown},
        {"*SCENEENDX", kwUnknown},
    };
    for (const auto& [line, code] : cases)
        EXPECT_EQ(KeywordCode(line), code) << line;
}

TEST(ScriptText, ClassifiesLines) {
    EXPECT_EQ(ClassifyLine(""), lkSkip);
    EXPECT_EQ(ClassifyLine("# note"), lkSkip);
    EXPECT_EQ(ClassifyLine("story"), lkStory);
    EXPECT_EQ(ClassifyLine(" *GOTO room"), lkStory);
    EXPECT_EQ(ClassifyLine("*GOTO room"), kwGoto);
}

TEST(ScriptText, SplitsLinesAtEveryLineEnd) {
    auto split = [](std::string_view text) {
        return SplitScriptLines(
            std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(split(""), V{});
    EXPECT_EQ(split("a"), V{"a"});
    EXPECT_EQ(split("a\n"), V{"a"});
    EXPECT_EQ(split("a\r\nb\rc\nd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(split("a\n\nb\r\n\r\n"), (V{"a", "", "b", ""}));
    EXPECT_EQ(split("\r\r\n"), (V{"", ""}));
    EXPECT_EQ(split(std::string_view("a\0b", 3)), V{std::string("a\0b", 3)});
}

TEST(ScriptText, ParsesValueFieldsStrictly) {
    EXPECT_EQ(ParseInteger("0"), 0);
    EXPECT_EQ(ParseInteger("42"), 42);
    EXPECT_EQ(ParseInteger("-7"), -7);
    EXPECT_EQ(ParseInteger("+7"), 7);
    EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseInteger("-2147483648"), INT32_MIN);
    for (std::string_view bad : {"", "-", "2147483648", "-2147483649", "1x", " 1", "1 ", "0x10",
                                 "99999999999999999999", "\xef\xbc\x91"}) {
        EXPECT_EQ(ParseInteger(bad), std::nullopt) << bad;
    }
}

}  // namespace
}  // namespace vornal
