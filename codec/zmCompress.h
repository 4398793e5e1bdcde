// The block-wise LZSS coder of every archive entry and save file (format: docs/lzss-format.md).
#pragma once

#include <cstdint>
#include <span>

#include "codec/Stream.h"

namespace vornal {

class TzmCompress {
public:
    virtual ~TzmCompress() = default;
    // Compresses `size` bytes read from `source` at its position into `dest` at its
    // position. Returns `size`.
    virtual std::int32_t Compress(Stream& source, Stream& dest, std::int32_t size) = 0;
    // Writes exactly... see TzmLZSSCompress for the decoder's promise.
    virtual void Decompress(Stream& source, Stream& dest, std::int32_t size) = 0;
};

class TzmBitWriter;

class TzmLZSSCompress final : public TzmCompress {
public:
    std::int32_t Compress(Stream& source, Stream& dest, std::int32_t size) override;
    // Decodes tokens until at least `size` bytes are produced (a token in progress is
    // completed, so up to 65 bytes more may be written). Never reads or writes outside
    // its window or buffers, whatever the input; damaged tokens are handled as
    // docs/lzss-format.md describes. `source` is left somewhere past the data read.
    void Decompress(Stream& source, Stream& dest, std::int32_t size) override;
    // Encodes one block of up to 4096 bytes into `writer`.
    void CompressBlock(std::span<const Byte> block, TzmBitWriter& writer, int length);
};

}  // namespace vornal
