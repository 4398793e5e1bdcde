// The fast LZSS decoder behind TzmLZSSCompress: a 64-bit bit buffer over large reads of
// the source and the 4096-byte window doubling as the output block.
#pragma once

#include <cstdint>

#include "codec/Stream.h"

namespace vornal::lzss {

// Writes at least `size` bytes to `dest` (the last token is completed). Throws
// StreamError, naming `source`, on a match the encoder cannot produce or when the
// compressed data ends before `size` bytes are decoded. Reads ahead of the data it uses.
void decompress(Stream& source, Stream& dest, std::int32_t size);

}  // namespace vornal::lzss
