// Bit streams over a byte stream, the carrier of the LZSS format (docs/lzss-format.md).
//
// Bits are packed most significant first. Both classes move 4096-byte blocks to and
// from the wrapped stream, which they never own.
#pragma once

#include <array>
#include <cstdint>

#include "codec/Stream.h"

namespace vornal {

inline constexpr int kBitBlockSize = 4096;

class TzmBitWriter {
public:
    // Keeps the stream; writes nothing yet.
    explicit TzmBitWriter(Stream& stream) : Stream_(stream) {}
    // Writes the partly filled block unless Finish did. A write error here is lost, so
    // callers that care call Finish.
    ~TzmBitWriter();
    TzmBitWriter(const TzmBitWriter&) = delete;
    TzmBitWriter& operator=(const TzmBitWriter&) = delete;

    // Appends one bit; any nonzero value is a 1.
    void WriteBit(Byte bit);
    // Appends the eight bits of `value`, most significant first.
    void WriteByte(Byte value);
    // Writes the partly filled block now (throwing StreamError on failure); the writer
    // must not be used afterwards. The bits after the last one in the final byte keep
    // what the buffer held there: zero in the first block, else the previous block's.
    void Finish();

    std::int32_t bitCount() const { return BitCount; }

private:
    void Flush();

    Stream& Stream_;
    std::array<Byte, kBitBlockSize> Buffer{};
    std::int32_t BitPos = 0;
    std::int32_t BytePos = 0;
    std::int32_t BitCount = 0;
    bool finished_ = false;
};

class TzmBitReader {
public:
    // Keeps the stream and reads its first block at once.
    explicit TzmBitReader(Stream& stream);
    TzmBitReader(const TzmBitReader&) = delete;
    TzmBitReader& operator=(const TzmBitReader&) = delete;

    // There is no end signal: past the stream's end the bits come from whatever the
    // buffer held before (zeros in the first block). The user must know what to read.
    bool ReadBit();
    Byte ReadByte();

    std::int32_t bitCount() const { return BitCount; }

private:
    Stream& Stream_;
    std::array<Byte, kBitBlockSize> Buffer{};
    std::int32_t BitPos = 0;
    std::int32_t BytePos = 0;
    std::int32_t BitCount = 0;
};

}  // namespace vornal
