// The coder's promises at its edges: sizes, streams, damaged and cut-short data.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <variant>
#include <vector>

#include "LzssCalls.h"
#include "LzssTestData.h"
#include "TestStreams.h"
#include "codec/LzssEncoder.h"
#include "codec/zmBitStream.h"
#include "codec/zmCompress.h"

namespace vornal {
namespace {

struct Lit {
    Byte value;
};
struct Ref {
    int length, position;
};
using testdata::compress;
using testdata::decompress;
using Token = std::variant<Lit, Ref>;

// Writes tokens bit by bit, the way the format defines them.
std::vector<Byte> packTokens(const std::vector<Token>& tokens) {
    MemoryStream out;
    {
        TzmBitWriter w(out);
        for (const auto& t : tokens) {
            if (auto* lit = std::get_if<Lit>(&t)) {
                w.WriteBit(0);
                w.WriteByte(lit->value);
            } else {
                auto ref = std::get<Ref>(t);
                w.WriteBit(1);
                for (int b = 5; b >= 0; --b)
                    w.WriteBit(((ref.length - 3) >> b) & 1);
                for (int b = 11; b >= 0; --b)
                    w.WriteBit((ref.position >> b) & 1);
            }
        }
    }
    return out.takeBytes();
}

std::vector<Token> unpackTokens(const std::vector<Byte>& packed, std::int64_t size) {
    MemoryStream in(packed);
    TzmBitReader r(in);
    auto field = [&](int bits) {
        int v = 0;
        for (int i = 0; i < bits; ++i)
            v = v << 1 | r.ReadBit();
        return v;
    };
    std::vector<Token> tokens;
    while (size > 0) {
        if (!r.ReadBit()) {
            tokens.push_back(Lit{r.ReadByte()});
            size -= 1;
        } else {
            int length = field(6) + 3;
            tokens.push_back(Ref{length, field(12)});
            size -= length;
        }
    }
    return tokens;
}

TEST(LzssCodec, FourThousandNinetySixEqualBytesMakeSeventyTokens) {
    std::vector<Byte> input(4096, 0x33);
    auto packed = compress(input);
    EXPECT_EQ(packed.size(), 162u);
    auto tokens = unpackTokens(packed, 4096);
    ASSERT_EQ(tokens.size(), 70u);
    std::vector<int> lengths;
    for (const auto& t : tokens) {
        if (auto* ref = std::get_if<Ref>(&t)) {
            EXPECT_EQ(ref->position, 0);
            lengths.push_back(ref->length);
        } else {
            lengths.push_back(1);
        }
    }
    std::vector<int> expected{1, 1, 1, 3, 6, 12, 24, 48};
    expected.insert(expected.end(), 60, 66);
    expected.push_back(39);
    expected.push_back(1);
    EXPECT_EQ(lengths, expected);
    EXPECT_EQ(decompress(packed, 4096), input);
}

TEST(LzssCodec, SecondBlockStartsAfresh) {
    std::vector<Byte> input(4097, 0x33);
    auto tokens = unpackTokens(compress(input), 4097);
    ASSERT_EQ(tokens.size(), 71u);
    EXPECT_EQ(std::get<Lit>(tokens.back()).value, 0x33);
}

TEST(LzssCodec, CompressReadsExactlySizeBytesAndAppendsToDest) {
    auto input = testdata::text(6000, 1);
    MemoryStream source(input);
    MemoryStream dest(std::vector<Byte>{9, 9});
    dest.setPosition(2);
    EXPECT_EQ(TzmLZSSCompress().Compress(source, dest, 5000), 5000);
    EXPECT_EQ(source.position(), 5000);
    auto expected = compress(std::vector<Byte>(input.begin(), input.begin() + 5000));
    expected.insert(expected.begin(), {9, 9});
    EXPECT_EQ(std::vector<Byte>(dest.bytes().begin(), dest.bytes().end()), expected);
}

TEST(LzssCodec, NothingHappensForZeroOrNegativeSize) {
    for (std::int32_t size : {0, -1, -4096, -5000}) {
        MemoryStream source(testdata::text(100, 2));
        MemoryStream dest;
        EXPECT_EQ(TzmLZSSCompress().Compress(source, dest, size), size);
        EXPECT_EQ(source.position(), 0);
        EXPECT_EQ(dest.size(), 0);
        TzmLZSSCompress().Decompress(source, dest, size);
        EXPECT_EQ(dest.size(), 0);
    }
}

TEST(LzssCodec, SourceShorterThanSizeIsAReadError) {
    MemoryStream source(testdata::text(100, 3));
    source.setName("room.bmp");
    MemoryStream dest;
    try {
        TzmLZSSCompress().Compress(source, dest, 101);
        FAIL() << "no error";
    } catch (const StreamError& e) {
        EXPECT_NE(std::string(e.what()).find("room.bmp"), std::string::npos) << e.what();
    }
}

TEST(LzssCodec, DestWriteFailureIsReported) {
    auto input = testdata::randomBytes(9000, 4);
    for (std::size_t limit : {0, 100, 4096, 8192}) {
        MemoryStream source(input);
        testing::FailingStream dest(limit);
        EXPECT_THROW(TzmLZSSCompress().Compress(source, dest, 9000), StreamError) << limit;
    }
}

TEST(LzssCodec, StreamsThatDeliverInPiecesGiveTheSameResult) {
    auto input = testdata::runs(20000, 5);
    auto packed = compress(input);
    testing::TricklingStream source(input, 1000);
    MemoryStream dest;
    TzmLZSSCompress().Compress(source, dest, static_cast<std::int32_t>(input.size()));
    EXPECT_EQ(std::vector<Byte>(dest.bytes().begin(), dest.bytes().end()), packed);

    testing::TricklingStream packedSource(packed, 7);
    MemoryStream back;
    TzmLZSSCompress().Decompress(packedSource, back, static_cast<std::int32_t>(input.size()));
    EXPECT_EQ(std::vector<Byte>(back.bytes().begin(), back.bytes().end()), input);
}

// Random bytes hardly shrink: their tokens take several of the decoder's reads of the
// source, and tokens straddle the end of each read.
TEST(LzssCodec, DataLongerThanOneReadOfTheSource) {
    auto input = testdata::randomBytes(40000, 12);
    auto tail = testdata::text(30000, 13);
    input.insert(input.end(), tail.begin(), tail.end());
    const auto size = static_cast<std::int32_t>(input.size());
    const auto packed = compress(input);
    ASSERT_GT(packed.size(), 40000u);
    EXPECT_EQ(decompress(packed, size), input);
    for (std::size_t perRead : {std::size_t{7}, std::size_t{4099}}) {
        testing::TricklingStream source(packed, perRead);
        MemoryStream dest;
        TzmLZSSCompress().Decompress(source, dest, size);
        EXPECT_EQ(std::vector<Byte>(dest.bytes().begin(), dest.bytes().end()), input) << perRead;
    }
    for (std::size_t cut : {std::size_t{16383}, std::size_t{16384}, std::size_t{16391},
                            std::size_t{32768}, packed.size() - 1}) {
        std::vector<Byte> shorter(packed.begin(), packed.begin() + static_cast<long>(cut));
        EXPECT_THROW(decompress(shorter, size), StreamError) << cut;
    }
}

TEST(LzssCodec, DecodesFromTheSourcePositionAndIgnoresWhatFollows) {
    auto input = testdata::text(5000, 6);
    auto packed = compress(input);
    std::vector<Byte> framed{1, 2, 3};
    framed.insert(framed.end(), packed.begin(), packed.end());
    framed.insert(framed.end(), 100, 0xEE);
    MemoryStream source(framed);
    source.setPosition(3);
    MemoryStream dest;
    TzmLZSSCompress().Decompress(source, dest, 5000);
    EXPECT_EQ(std::vector<Byte>(dest.bytes().begin(), dest.bytes().end()), input);
}

TEST(LzssCodec, MatchesTheEncoderCannotProduceAreRefused) {
    std::vector<Token> fill;  // 4090 literals
    for (int i = 0; i < 4090; ++i)
        fill.push_back(Lit{static_cast<Byte>(i)});
    auto withFill = [&](std::vector<Token> tail) {
        auto v = fill;
        v.insert(v.end(), tail.begin(), tail.end());
        return v;
    };
    struct Case {
        const char* what;
        std::vector<Token> tokens;
        std::int32_t size;
    };
    const Case cases[] = {
        {"match at the block's start", {Ref{3, 0}}, 3},
        {"match reaching the current position", {Lit{1}, Lit{2}, Lit{3}, Ref{3, 1}}, 6},
        {"match from ahead", {Lit{1}, Lit{2}, Lit{3}, Lit{4}, Ref{3, 4000}}, 7},
        {"position plus length past 4096", withFill({Ref{10, 4090}}), 4100},
        {"match carrying the position past the block", withFill({Ref{10, 0}}), 4100},
        {"in the second block",
         withFill({Lit{0}, Lit{0}, Lit{0}, Lit{0}, Lit{0}, Lit{0}, Ref{3, 4093}}), 4099},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryStream source(packTokens(c.tokens));
        source.setName("entry PIC.BMP");
        MemoryStream dest;
        try {
            TzmLZSSCompress().Decompress(source, dest, c.size);
            ADD_FAILURE() << "accepted";
        } catch (const StreamError& e) {
            EXPECT_NE(std::string(e.what()).find("entry PIC.BMP"), std::string::npos);
        }
    }
    // The limits themselves are fine: a match ending right at the current position and
    // one ending exactly at the block's end.
    auto edge = withFill({Ref{6, 4084}});
    auto decoded = decompress(packTokens(edge), 4096);
    ASSERT_EQ(decoded.size(), 4096u);
    EXPECT_TRUE(std::equal(decoded.begin() + 4090, decoded.end(), decoded.begin() + 4084));
}

TEST(LzssCodec, DataEndingEarlyIsRefused) {
    auto packed = compress(testdata::text(3000, 7));
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, packed.size() / 2, packed.size() - 1}) {
        SCOPED_TRACE(cut);
        std::vector<Byte> shorter(packed.begin(), packed.begin() + cut);
        EXPECT_THROW(decompress(shorter, 3000), StreamError);
    }
    // Asking for more than was encoded runs into the end as well.
    EXPECT_THROW(decompress(compress({'a', 'b', 'c'}), 100), StreamError);
    EXPECT_THROW(decompress({}, 0x7FFFFFFF), StreamError);
}

TEST(LzssCodec, GarbageNeverCrashes) {
    std::mt19937 rng(99);
    for (int round = 0; round < 300; ++round) {
        auto junk = testdata::randomBytes(rng() % 3000, rng(), round % 2 ? 256 : 2);
        MemoryStream source(junk);
        MemoryStream dest;
        auto size = static_cast<std::int32_t>(rng() % 100000);
        try {
            TzmLZSSCompress().Decompress(source, dest, size);
            EXPECT_GE(dest.size(), size);
            EXPECT_LE(dest.size(), size + 65);
        } catch (const StreamError&) {
        }
    }
}

// The fast bit buffer against TzmBitWriter on long token runs, where the final byte
// picks up bits of an earlier output block.
TEST(LzssBitSink, WritesWhatTheBitWriterWrites) {
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        std::vector<Token> tokens;
        std::size_t count = rng() % 6000;
        if (round < 8) count = 1724 + static_cast<std::size_t>(round);  // around 32768 bits
        for (std::size_t i = 0; i < count; ++i) {
            if (rng() % 2) {
                tokens.push_back(Lit{static_cast<Byte>(rng())});
            } else {
                tokens.push_back(
                    Ref{3 + static_cast<int>(rng() % 64), static_cast<int>(rng() % 4096)});
            }
        }
        MemoryStream fast;
        lzss::BitSink sink(fast);
        for (const auto& t : tokens) {
            if (auto* lit = std::get_if<Lit>(&t)) {
                sink.literal(lit->value);
            } else {
                sink.match(std::get<Ref>(t).length, std::get<Ref>(t).position);
            }
        }
        sink.finish();
        SCOPED_TRACE(round);
        ASSERT_EQ(std::vector<Byte>(fast.bytes().begin(), fast.bytes().end()), packTokens(tokens));
    }
}

}  // namespace
}  // namespace vornal
