#include "codec/zmCompress.h"

#include <algorithm>
#include <array>
#include <memory>

#include "codec/LzssDecoder.h"
#include "codec/LzssEncoder.h"
#include "codec/zmBitStream.h"

namespace vornal {

namespace {

// Writes tokens bit by bit through TzmBitWriter.
struct WriterSink {
    TzmBitWriter& writer;

    void literal(Byte value) {
        writer.WriteBit(0);
        writer.WriteByte(value);
    }
    void match(int length, int position) {
        writer.WriteBit(1);
        for (int b = 5; b >= 0; --b)
            writer.WriteBit(((length - lzss::kMinMatch) >> b) & 1);
        for (int b = 11; b >= 0; --b)
            writer.WriteBit((position >> b) & 1);
    }
};

struct BlockState {
    lzss::MatchFinder finder;
    std::array<Byte, lzss::kBlockSize + lzss::MatchFinder::kPadding> block{};
};

}  // namespace

std::int32_t TzmLZSSCompress::Compress(Stream& source, Stream& dest, std::int32_t size) {
    lzss::compress(source, dest, size);
    return size;
}

void TzmLZSSCompress::Decompress(Stream& source, Stream& dest, std::int32_t size) {
    lzss::decompress(source, dest, size);
}

void TzmLZSSCompress::CompressBlock(std::span<const Byte> block, TzmBitWriter& writer, int length) {
    length = std::clamp(length, 0,
                        static_cast<int>(std::min<std::size_t>(block.size(), lzss::kBlockSize)));
    auto state = std::make_unique<BlockState>();
    std::copy_n(block.begin(), length, state->block.begin());
    WriterSink sink{writer};
    lzss::encodeBlock(state->finder, state->block.data(), length, sink);
}

}  // namespace vornal
