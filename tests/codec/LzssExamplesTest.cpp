#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LzssCalls.h"
#include "codec/zmCompress.h"

namespace vornal {
namespace {

using testdata::compress;
using testdata::decompress;

std::vector<Byte> bytesOf(const std::string& s) {
    return {s.begin(), s.end()};
}

TEST(LzssExamples, EncodeToKnownBits) {
    struct Case {
        std::string input;
        std::vector<Byte> packed;
    };
    const Case cases[] = {
        {"", {}},
        {"abc", {0x30, 0x98, 0x8C, 0x60}},
        {"abcabcabc", {0x30, 0x98, 0x8C, 0x70, 0x00, 0x00, 0xC2, 0x62, 0x31, 0x80}},
        {std::string(10, 'a'), {0x30, 0x98, 0x4C, 0x30, 0x00, 0x02, 0x00, 0x00, 0x18, 0x40}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        auto packed = compress(bytesOf(c.input));
        EXPECT_EQ(packed, c.packed);
        EXPECT_EQ(decompress(packed, static_cast<std::int32_t>(c.input.size())), bytesOf(c.input));
    }
}

TEST(LzssExamples, ShortSizeCompletesTheTokenInProgress) {
    auto packed = compress(bytesOf("abcabcabc"));
    EXPECT_EQ(decompress(packed, 5), bytesOf("abcabc"));
    EXPECT_TRUE(decompress(packed, 0).empty());
    EXPECT_TRUE(decompress(packed, -7).empty());
}

}  // namespace
}  // namespace vornal
