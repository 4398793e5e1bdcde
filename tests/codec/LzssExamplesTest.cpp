#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/zmCompress.h"

namespace vornal {
namespace {

std::vector<Byte> compress(const std::vector<Byte>& input) {
    MemoryStream source(input);
    MemoryStream dest;
    TzmLZSSCompress codec;
    EXPECT_EQ(codec.Compress(source, dest, static_cast<std::int32_t>(input.size())),
              static_cast<std::int32_t>(input.size()));
    return dest.takeBytes();
}

std::vector<Byte> decompress(const std::vector<Byte>& packed, std::int32_t size) {
    MemoryStream source(packed);
    MemoryStream dest;
    TzmLZSSCompress().Decompress(source, dest, size);
    return dest.takeBytes();
}

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
