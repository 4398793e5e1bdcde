// The fast LZSS encoder behind TzmLZSSCompress: a hash-chain match finder and a 64-bit
// bit buffer, producing the same bits as writing every token through TzmBitWriter.
#pragma once

#include <array>
#include <cstdint>

#include "codec/LzssMatchFinder.h"
#include "codec/Stream.h"

namespace vornal::lzss {

// Collects tokens into 4096-byte blocks of `dest`, exactly as TzmBitWriter would: the
// unused low bits of the final byte keep the same byte of the previous output block.
class BitSink {
public:
    explicit BitSink(Stream& dest) : dest_(dest) {}
    BitSink(const BitSink&) = delete;
    BitSink& operator=(const BitSink&) = delete;

    void literal(Byte value) { put(value, kLiteralBits); }
    void match(int length, int position) {
        put((1u << 18) | static_cast<std::uint32_t>(length - kMinMatch) << 12 |
                static_cast<std::uint32_t>(position),
            kMatchBits);
    }
    // Writes what is left, the final partial byte included. Throws StreamError.
    void finish();

private:
    void put(std::uint32_t bits, int count) {
        acc_ = acc_ << count | bits;
        pending_ += count;
        if (pending_ >= 32) spill();
    }
    void spill();
    void emitByte(Byte value);
    void writeBlock();

    Stream& dest_;
    std::uint64_t acc_ = 0;  // the low `pending_` bits are still to be placed
    int pending_ = 0;
    int bytePos_ = 0;
    std::array<Byte, kBlockSize + 4> buffer_{};  // 4 spare bytes: a spill may cross the end
};

// Encodes one block (`length` <= 4096 bytes followed by MatchFinder::kPadding readable
// bytes) into `sink`, which needs literal(Byte) and match(length, position).
template <class Sink>
void encodeBlock(MatchFinder& finder, const Byte* block, int length, Sink& sink) {
    finder.prepare(block, length);
    int pos = 0;
    while (pos < length) {
        Match m = finder.find(pos);
        if (m.length == 0) {
            sink.literal(block[pos]);
            ++pos;
        } else {
            sink.match(m.length, m.position);
            pos += m.length;
        }
    }
}

// Compresses exactly `size` bytes of `source` into `dest`; throws StreamError when the
// source ends early or `dest` fails.
void compress(Stream& source, Stream& dest, std::int32_t size);

}  // namespace vornal::lzss
