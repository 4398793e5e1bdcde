// The fast coder against the plain one, on block-boundary sizes and many kinds of data.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "LzssCalls.h"
#include "LzssTestData.h"
#include "PlainLzss.h"
#include "codec/zmCompress.h"

namespace vornal {
namespace {

using namespace testdata;

struct Input {
    std::string name;
    std::vector<Byte> bytes;
};

std::vector<Input> inputs() {
    std::vector<Input> v;
    for (std::size_t n : {0, 1, 2, 3, 4, 5, 6, 7, 69, 70, 4095, 4096, 4097, 8192}) {
        v.push_back({"random " + std::to_string(n), randomBytes(n, static_cast<unsigned>(n))});
        v.push_back({"zeros " + std::to_string(n), std::vector<Byte>(n, 0)});
    }
    for (std::size_t n : {4095, 4096, 4097, 8192, 12000}) {
        v.push_back({"runs " + std::to_string(n), runs(n, 7)});
        v.push_back({"text " + std::to_string(n), text(n, 11)});
        v.push_back({"two letters " + std::to_string(n), randomBytes(n, 5, 2)});
        v.push_back({"four letters " + std::to_string(n), randomBytes(n, 6, 4)});
        // Few distinct bytes: long hash chains, many ties between candidates.
        v.push_back({"three letters " + std::to_string(n), randomBytes(n, 8, 3)});
        v.push_back({"six letters " + std::to_string(n), randomBytes(n, 10, 6)});
    }
    for (std::size_t period : {1, 2, 3, 4, 7, 64, 65, 66, 67, 133, 1000, 2048, 4093}) {
        v.push_back({"period " + std::to_string(period), periodic(8300, period, 3)});
    }
    v.push_back({"all byte values", allByteValues(40)});
    // A run that starts late in a block and crosses into the next.
    auto tail = randomBytes(4000, 9);
    tail.insert(tail.end(), 300, 0x41);
    v.push_back({"run across blocks", tail});
    return v;
}

TEST(LzssOracle, FastEncoderWritesTheSameBitsAndRoundTrips) {
    for (const auto& in : inputs()) {
        SCOPED_TRACE(in.name);
        auto expected = oracle::plainCompress(in.bytes);
        auto packed = compress(in.bytes);
        ASSERT_EQ(packed, expected);
        auto size = static_cast<std::int32_t>(in.bytes.size());
        EXPECT_EQ(decompress(packed, size), in.bytes);
        EXPECT_EQ(oracle::plainDecompress(packed, size), in.bytes);
    }
}

TEST(LzssOracle, CompressBlockThroughTheBitWriterMatchesThePlainScan) {
    std::vector<std::vector<Byte>> blocks{randomBytes(4096, 1, 3), text(4096, 2), runs(4096, 3),
                                          periodic(4096, 5, 4), randomBytes(100, 5)};
    for (const auto& block : blocks) {
        for (int length : {0, 1, 3, 4, 5, 66, 67, 2000, static_cast<int>(block.size())}) {
            if (length > static_cast<int>(block.size())) continue;
            SCOPED_TRACE(length);
            MemoryStream fast, plain;
            {
                TzmBitWriter writer(fast);
                TzmLZSSCompress().CompressBlock(block, writer, length);
            }
            {
                TzmBitWriter writer(plain);
                oracle::plainCompressBlock(block, writer, length);
            }
            EXPECT_EQ(std::vector<Byte>(fast.bytes().begin(), fast.bytes().end()),
                      std::vector<Byte>(plain.bytes().begin(), plain.bytes().end()));
        }
    }
}

// Many small random inputs of mixed character, split at random sizes.
TEST(LzssOracle, RandomMixtures) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 60; ++round) {
        std::vector<Byte> input;
        std::size_t n = rng() % 9000;
        while (input.size() < n) {
            std::vector<Byte> piece;
            std::size_t len = 1 + rng() % 700;
            switch (rng() % 4) {
                case 0:
                    piece = randomBytes(len, rng());
                    break;
                case 1:
                    piece = randomBytes(len, rng(), 3);
                    break;
                case 2:
                    piece = periodic(len, 1 + rng() % 80, rng());
                    break;
                default:
                    piece.assign(input.end() - std::min<std::size_t>(input.size(), len),
                                 input.end());
            }
            input.insert(input.end(), piece.begin(), piece.end());
        }
        input.resize(n);
        SCOPED_TRACE(round);
        auto packed = compress(input);
        ASSERT_EQ(packed, oracle::plainCompress(input));
        ASSERT_EQ(decompress(packed, static_cast<std::int32_t>(n)), input);
    }
}

}  // namespace
}  // namespace vornal
