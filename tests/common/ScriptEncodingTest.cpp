// Which encoding a script is read in, and what its conversion to Shift-JIS reports.
#include "common/ScriptEncoding.h"

#include <gtest/gtest.h>

#include "common/SjisText.h"

namespace vornal {
namespace {

std::span<const std::uint8_t> bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string asString(const std::vector<std::uint8_t>& b) {
    return {b.begin(), b.end()};
}

TEST(ScriptEncoding, Detection) {
    const struct {
        const char* what;
        std::string text;
        ScriptEncoding expected;
    } cases[] = {
        {"empty", "", ScriptEncoding::ShiftJis},
        {"ASCII reads the same either way", "*SCENE a\r\nhello\r\n", ScriptEncoding::ShiftJis},
        {"Japanese in UTF-8", "*SCENE 玄関\n", ScriptEncoding::Utf8},
        {"Japanese in Shift-JIS", sjis::fromUtf8("*SCENE 玄関\n"), ScriptEncoding::ShiftJis},
        {"a byte order mark, ASCII after it", "\xEF\xBB\xBF*SCENE a\n", ScriptEncoding::Utf8},
        {"a byte order mark, broken UTF-8 after it", "\xEF\xBB\xBF\x82\xA0", ScriptEncoding::Utf8},
        {"UTF-8 but one Shift-JIS line", "鍵\n" + sjis::fromUtf8("鍵\n"), ScriptEncoding::ShiftJis},
        {"an overlong form is no UTF-8", "\xC0\xAF", ScriptEncoding::ShiftJis},
        {"a surrogate is no UTF-8", "\xED\xA0\x80", ScriptEncoding::ShiftJis},
        {"beyond U+10FFFF is no UTF-8", "\xF4\x90\x80\x80", ScriptEncoding::ShiftJis},
        {"a sequence cut off at the end", "\xE9\x8D", ScriptEncoding::ShiftJis},
        {"four-byte UTF-8", "\xF0\x9F\x98\x80", ScriptEncoding::Utf8},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DetectEncoding(bytes(c.text)), c.expected) << c.what;
}

TEST(ScriptEncoding, ConversionKeepsLinesAndDropsTheMark) {
    const std::string utf8 = "*SCENE 玄関\r\n鍵がある。\n\r〜－∥￠\r\n";
    for (const std::string& text : {utf8, "\xEF\xBB\xBF" + utf8}) {
        const DecodedScript decoded = DecodeScript(bytes(text), std::nullopt);
        EXPECT_EQ(decoded.encoding, ScriptEncoding::Utf8);
        EXPECT_TRUE(decoded.detected);
        EXPECT_TRUE(decoded.problems.empty());
        EXPECT_EQ(asString(decoded.bytes), sjis::fromUtf8(utf8));
    }
    // Shift-JIS is left byte for byte, also when forced.
    const std::string shiftJis = sjis::fromUtf8("*SCENE 玄関\r\n");
    for (auto forced : {std::optional<ScriptEncoding>{}, std::optional(ScriptEncoding::ShiftJis)}) {
        const DecodedScript decoded = DecodeScript(bytes(shiftJis), forced);
        EXPECT_EQ(asString(decoded.bytes), shiftJis);
        EXPECT_EQ(decoded.detected, !forced.has_value());
    }
}

TEST(ScriptEncoding, ProblemsNameLineAndColumn) {
    using Kind = EncodingProblem::Kind;
    const struct {
        const char* what;
        std::string text;
        std::optional<ScriptEncoding> forced;
        bool findMixed;
        std::vector<EncodingProblem> expected;
        std::string converted;  // UTF-8 of the Shift-JIS result; empty: not compared
    } cases[] = {
        {"characters Shift-JIS lacks, the first of each line, columns in characters",
         "*SCENE a\r\nやあ😀と☃\n\t☃\n",
         std::nullopt,
         false,
         {{Kind::Unconvertible, 1, 3, U'😀'}, {Kind::Unconvertible, 2, 2, U'☃'}},
         "*SCENE a\r\nやあ?と?\n\t?\n"},
        {"one problem per line, lines counted across CR, LF and CR LF",
         "a\rb\nc\r\nééé\n",
         std::nullopt,
         false,
         {{Kind::Unconvertible, 3, 1, U'é'}},
         "a\rb\nc\r\n???\n"},
        {"Shift-JIS read as UTF-8 because asked",
         "ok\n" + sjis::fromUtf8("鍵\n") + "ok\n",
         ScriptEncoding::Utf8,
         false,
         {{Kind::InvalidUtf8, 1, 1, 0}},
         ""},
        {"a UTF-8 line in a Shift-JIS script",
         sjis::fromUtf8("玄関\n") + "ab鍵\n",
         std::nullopt,
         true,
         {{Kind::Utf8Line, 1, 3, 0}},
         ""},
        {"mixed lines are looked for only when asked",
         sjis::fromUtf8("玄関\n") + "鍵\n",
         std::nullopt,
         false,
         {},
         ""},
        {"nor when Shift-JIS was forced",
         sjis::fromUtf8("玄関\n") + "鍵\n",
         ScriptEncoding::ShiftJis,
         true,
         {},
         ""},
        {"half-width katakana that happen to pair into UTF-8 are Shift-JIS",
         sjis::fromUtf8("玄関\nﾃｽ\n"),
         std::nullopt,
         true,
         {},
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const DecodedScript decoded = DecodeScript(bytes(c.text), c.forced, c.findMixed, 10);
        ASSERT_EQ(decoded.problems.size(), c.expected.size());
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(decoded.problems[i].kind, c.expected[i].kind);
            EXPECT_EQ(decoded.problems[i].line, c.expected[i].line);
            EXPECT_EQ(decoded.problems[i].column, c.expected[i].column);
            EXPECT_EQ(decoded.problems[i].character, c.expected[i].character);
        }
        if (!c.converted.empty()) {
            EXPECT_EQ(sjis::toUtf8(asString(decoded.bytes)), c.converted);
        }
    }
    // The player wants the first problem only.
    EXPECT_EQ(DecodeScript(bytes("é\né\n"), std::nullopt).problems.size(), 1u);
}

TEST(ScriptEncoding, NamesOnTheCommandLine) {
    EXPECT_EQ(ParseEncodingName("utf-8"), ScriptEncoding::Utf8);
    EXPECT_EQ(ParseEncodingName("UTF8"), ScriptEncoding::Utf8);
    EXPECT_EQ(ParseEncodingName("Shift-JIS"), ScriptEncoding::ShiftJis);
    EXPECT_EQ(ParseEncodingName("sjis"), ScriptEncoding::ShiftJis);
    EXPECT_EQ(ParseEncodingName("latin1"), std::nullopt);
    EXPECT_EQ(ParseEncodingName(""), std::nullopt);
    EXPECT_EQ(CodePointName(U'😀'), "U+1F600");
    EXPECT_EQ(CodePointName(U'é'), "U+00E9");
    EXPECT_EQ(Utf8Of(U'😀'), "😀");
    EXPECT_EQ(Utf8Of(U'鍵'), "鍵");
    EXPECT_EQ(Utf8Of(U'é'), "é");
}

}  // namespace
}  // namespace vornal
