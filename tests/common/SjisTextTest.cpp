#include "common/SjisText.h"

#include <gtest/gtest.h>

namespace vornal::sjis {
namespace {

struct Pair {
    const char* utf8;
    const char* sjis;
};

// Round trips of characters that games write: kana, kanji, full-width forms and the
// NEC extensions (circled digits) that only code page 932 knows.
TEST(SjisText, RoundTripsWindowsText) {
    const Pair cases[] = {
        {"abc", "abc"},
        {"部屋.BMP", "\x95\x94\x89\xae.BMP"},
        {"選択", "\x91\x49\x91\xf0"},
        {"ソ", "\x83\x5c"},  // trail byte 0x5C is the ASCII backslash
        {"①", "\x87\x40"},
        {"～", "\x81\x60"},  // FULLWIDTH TILDE, as Windows maps it
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fromUtf8(c.utf8), c.sjis) << c.utf8;
        EXPECT_EQ(toUtf8(c.sjis), c.utf8) << c.utf8;
        EXPECT_EQ(fromUtf8Strict(c.utf8), std::string(c.sjis)) << c.utf8;
    }
}

TEST(SjisText, ReplacesWhatCannotBeConverted) {
    EXPECT_EQ(toUtf8("a\x81"), "a\xEF\xBF\xBD");       // lead byte cut short at the end
    EXPECT_EQ(toUtf8("\xA0z"), "\xEF\xBF\xBDz");       // never a valid byte
    EXPECT_EQ(fromUtf8("x\xF0\x9F\x98\x80y"), "x?y");  // emoji: not in the code page
    EXPECT_EQ(fromUtf8("\xC3(k"), "?(k");              // broken UTF-8
    EXPECT_EQ(fromUtf8Strict("x\xF0\x9F\x98\x80y"), std::nullopt);
}

TEST(SjisText, UpperCasesAsciiLettersOnly) {
    EXPECT_EQ(upperAscii("room1.bmp"), "ROOM1.BMP");
    // 0x83 0x61 is a katakana whose trail byte is 'a': it must stay as it is.
    EXPECT_EQ(upperAscii("\x83\x61x.wav"), "\x83\x61X.WAV");
    // half-width katakana (0xA1-0xDF) are single bytes, so the next letter is upper-cased
    EXPECT_EQ(upperAscii("\xB1"
                         "a"),
              "\xB1"
              "A");
}

}  // namespace
}  // namespace vornal::sjis
