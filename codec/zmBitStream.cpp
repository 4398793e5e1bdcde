#include "codec/zmBitStream.h"

#include <span>

namespace vornal {

namespace {

constexpr std::array<Byte, 8> kMasks{0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};

}  // namespace

TzmBitWriter::~TzmBitWriter() {
    if (finished_) return;
    try {
        if (BytePos != 0 || BitPos != 0) Flush();
    } catch (const StreamError&) {
        // Nowhere to report from a destructor; Finish is the checked way.
    }
}

void TzmBitWriter::WriteBit(Byte bit) {
    ++BitCount;
    // The rest of the byte is left alone: the buffer is never cleared between blocks.
    if (bit != 0) {
        Buffer[BytePos] |= kMasks[BitPos];
    } else {
        Buffer[BytePos] &= static_cast<Byte>(~kMasks[BitPos]);
    }
    if (++BitPos == 8) {
        BitPos = 0;
        if (++BytePos == kBitBlockSize) {
            BytePos = 0;
            Flush();
        }
    }
}

void TzmBitWriter::WriteByte(Byte value) {
    for (Byte mask : kMasks)
        WriteBit(value & mask);
}

void TzmBitWriter::Finish() {
    if (finished_) return;
    finished_ = true;
    if (BytePos != 0 || BitPos != 0) Flush();
}

void TzmBitWriter::Flush() {
    std::size_t count = (BytePos == 0 && BitPos == 0)
                            ? Buffer.size()
                            : static_cast<std::size_t>(BytePos) + (BitPos > 0 ? 1 : 0);
    Stream_.write(std::span(Buffer.data(), count));
}

TzmBitReader::TzmBitReader(Stream& stream) : Stream_(stream) {
    Stream_.read(Buffer);
}

bool TzmBitReader::ReadBit() {
    bool bit = (Buffer[BytePos] & kMasks[BitPos]) != 0;
    ++BitCount;
    if (++BitPos == 8) {
        BitPos = 0;
        if (++BytePos == kBitBlockSize) {
            BytePos = 0;
            // A short read leaves the tail of the previous block in place.
            Stream_.read(Buffer);
        }
    }
    return bit;
}

Byte TzmBitReader::ReadByte() {
    Byte value = 0;
    for (Byte mask : kMasks) {
        if (ReadBit()) value |= mask;
    }
    return value;
}

}  // namespace vornal
