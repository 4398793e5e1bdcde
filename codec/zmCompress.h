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
    // Decodes compressed data from `source` at its position until `size` bytes are
    // written to `dest`.
    virtual void Decompress(Stream& source, Stream& dest, std::int32_t size) = 0;
};

class TzmBitWriter;

class TzmLZSSCompress final : public TzmCompress {
public:
    // Reads exactly `size` bytes (none when `size` <= 0) and writes their compressed form.
    // Throws StreamError when the source ends before `size` bytes or dest refuses a write.
    std::int32_t Compress(Stream& source, Stream& dest, std::int32_t size) override;
    // Decodes tokens until at least `size` bytes are produced (a token in progress is
    // completed, so up to 65 bytes more may be written); nothing when `size` <= 0.
    // Never reads or writes outside its window or buffers, whatever the input. A match
    // token the encoder cannot produce (see docs/lzss-format.md) is refused with
    // StreamError naming the source, and so is data that ends before `size` bytes are
    // decoded; part of the output may already be in dest then.
    // `source` is left somewhere past the data read.
    void Decompress(Stream& source, Stream& dest, std::int32_t size) override;
    // Encodes the first `length` bytes of `block` (at most 4096) into `writer`.
    void CompressBlock(std::span<const Byte> block, TzmBitWriter& writer, int length);
};

}  // namespace vornal
