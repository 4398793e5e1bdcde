#include <gtest/gtest.h>

#include <vector>

#include "TestStreams.h"
#include "codec/zmBitStream.h"

namespace vornal {
namespace {

std::vector<Byte> contents(const MemoryStream& s) {
    return {s.bytes().begin(), s.bytes().end()};
}

TEST(BitWriter, FreedWithoutBitsWritesNothing) {
    MemoryStream out;
    { TzmBitWriter writer(out); }
    EXPECT_EQ(out.size(), 0);
}

TEST(BitWriter, ByteOnABoundaryStandsUnchangedAndReadsBack) {
    MemoryStream out;
    {
        TzmBitWriter writer(out);
        writer.WriteByte(0xA5);
        EXPECT_EQ(out.size(), 0);  // nothing reaches the stream before the writer ends
        EXPECT_EQ(writer.bitCount(), 8);
    }
    EXPECT_EQ(contents(out), std::vector<Byte>{0xA5});
    out.setPosition(0);
    TzmBitReader reader(out);
    EXPECT_EQ(reader.ReadByte(), 0xA5);
    EXPECT_EQ(reader.bitCount(), 8);
}

TEST(BitWriter, AnyNonzeroValueIsAOneBit) {
    MemoryStream out;
    {
        TzmBitWriter writer(out);
        for (Byte b : {0x40, 0, 0xFF, 0, 0, 0, 0, 1})
            writer.WriteBit(b);
    }
    EXPECT_EQ(contents(out), std::vector<Byte>{0xA1});
}

TEST(BitWriter, NineBitsMakeTwoBytesWithZeroTail) {
    MemoryStream out;
    {
        TzmBitWriter writer(out);
        writer.WriteByte(0xFF);
        writer.WriteBit(1);
    }
    EXPECT_EQ(contents(out), (std::vector<Byte>{0xFF, 0x80}));
}

TEST(BitWriter, FullBlockGoesOutWithItsLastBitAndNothingAfter) {
    MemoryStream out;
    {
        TzmBitWriter writer(out);
        for (int i = 0; i < 4095; ++i)
            writer.WriteByte(static_cast<Byte>(i));
        for (int i = 0; i < 7; ++i)
            writer.WriteBit(1);
        EXPECT_EQ(out.size(), 0);
        writer.WriteBit(0);
        EXPECT_EQ(out.size(), 4096);
    }
    EXPECT_EQ(out.size(), 4096);
    EXPECT_EQ(out.bytes()[4095], 0xFE);
    EXPECT_EQ(out.bytes()[4094], 0xFE);
}

// The bits after the last one keep the same byte of the block before.
TEST(BitWriter, TailOfTheLastByteKeepsThePreviousBlocksBits) {
    MemoryStream out;
    {
        TzmBitWriter writer(out);
        writer.WriteByte(0x5B);
        for (int i = 1; i < 4096; ++i)
            writer.WriteByte(0);
        writer.WriteBit(1);
    }
    ASSERT_EQ(out.size(), 4097);
    EXPECT_EQ(out.bytes()[4096], 0x80 | 0x5B);

    // A zero bit clears only its own bit.
    MemoryStream out2;
    {
        TzmBitWriter writer(out2);
        writer.WriteByte(0xFF);
        writer.WriteByte(0x0F);
        for (int i = 2; i < 4096; ++i)
            writer.WriteByte(0);
        writer.WriteBit(0);
        writer.WriteBit(0);
        writer.WriteBit(0);
        writer.WriteBit(0);
        writer.WriteBit(0);
        writer.WriteBit(0);
        writer.WriteBit(0);
        writer.WriteBit(0);
        writer.WriteBit(1);
    }
    ASSERT_EQ(out2.size(), 4098);
    EXPECT_EQ(out2.bytes()[4096], 0x00);
    EXPECT_EQ(out2.bytes()[4097], 0x8F);
}

TEST(BitWriter, FinishReportsAFailedWriteTheDestructorCannot) {
    testing::FailingStream full(0);
    {
        TzmBitWriter writer(full);
        writer.WriteBit(1);
        EXPECT_THROW(writer.Finish(), StreamError);
    }
    {
        TzmBitWriter writer(full);
        writer.WriteBit(1);
    }  // no throw from the destructor
    testing::FailingStream small(4095);
    TzmBitWriter writer(small);
    for (int i = 0; i < 4095; ++i)
        writer.WriteByte(1);
    for (int i = 0; i < 7; ++i)
        writer.WriteBit(1);
    EXPECT_THROW(writer.WriteBit(1), StreamError);  // the full block is refused
}

TEST(BitReader, EmptyStreamGivesZeroBits) {
    MemoryStream empty;
    TzmBitReader reader(empty);
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(reader.ReadByte(), 0);
}

TEST(BitReader, ReadsWholeBlocksAheadAndKeepsStaleBytesAfterAShortRead) {
    std::vector<Byte> bytes(5000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<Byte>(i * 7 + 1);
    MemoryStream in(bytes);
    TzmBitReader reader(in);
    EXPECT_EQ(in.position(), 4096);
    for (int i = 0; i < 4095; ++i)
        ASSERT_EQ(reader.ReadByte(), bytes[i]);
    for (int i = 0; i < 7; ++i)
        reader.ReadBit();
    EXPECT_EQ(in.position(), 4096);
    bool last = reader.ReadBit();  // the 32768th bit
    EXPECT_EQ(last, (bytes[4095] & 1) != 0);
    EXPECT_EQ(in.position(), 5000);
    for (int i = 4096; i < 5000; ++i)
        ASSERT_EQ(reader.ReadByte(), bytes[i]);
    // Past the end: the rest of the first block, from the same offsets.
    for (int i = 904; i < 4096; ++i)
        ASSERT_EQ(reader.ReadByte(), bytes[i]);
    EXPECT_EQ(reader.bitCount(), 8192 * 8);
}

TEST(BitReader, BitsComeMostSignificantFirstAcrossBytes) {
    MemoryStream in(std::vector<Byte>{0b10110010, 0b01111111});
    TzmBitReader reader(in);
    std::vector<bool> bits;
    for (int i = 0; i < 12; ++i)
        bits.push_back(reader.ReadBit());
    EXPECT_EQ(bits, (std::vector<bool>{1, 0, 1, 1, 0, 0, 1, 0, 0, 1, 1, 1}));
    EXPECT_EQ(reader.ReadByte(), 0xF0);  // the last 4 real bits, then zeros
}

}  // namespace
}  // namespace vornal
