// The LZSS coder written the slow, obvious way: every earlier position of the block tried
// in order, every bit through TzmBitWriter / TzmBitReader. Tests, fuzz targets and the
// benchmark hold the fast coder to it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "codec/Stream.h"
#include "codec/zmBitStream.h"

namespace vornal::oracle {

void plainCompressBlock(std::span<const Byte> block, TzmBitWriter& writer, int length);
std::vector<Byte> plainCompress(std::span<const Byte> input);
// Throws StreamError on a match that reaches the current position or the block's end.
std::vector<Byte> plainDecompress(std::span<const Byte> packed, std::int32_t size);

}  // namespace vornal::oracle
