// Compresses arbitrary bytes, checks the bits against the plain scan, decodes them back.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codec/zmBitStream.h"
#include "codec/zmCompress.h"
#include "tests/codec/PlainLzss.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vornal;
    std::vector<Byte> input(data, data + size);
    auto n = static_cast<std::int32_t>(size);

    MemoryStream source(input);
    MemoryStream packed;
    if (TzmLZSSCompress().Compress(source, packed, n) != n) std::abort();
    std::vector<Byte> bits(packed.bytes().begin(), packed.bytes().end());
    // The plain scan is quadratic per block; beyond two blocks it would slow the fuzzer.
    if (size <= 8192 && bits != oracle::plainCompress(input)) std::abort();

    // One block through TzmBitWriter gives the same bits as the whole-stream encoder.
    if (size <= 4096) {
        MemoryStream viaWriter;
        {
            TzmBitWriter writer(viaWriter);
            TzmLZSSCompress().CompressBlock(input, writer, n);
        }
        if (std::vector<Byte>(viaWriter.bytes().begin(), viaWriter.bytes().end()) != bits) {
            std::abort();
        }
    }

    packed.setPosition(0);
    MemoryStream back;
    TzmLZSSCompress().Decompress(packed, back, n);
    if (std::vector<Byte>(back.bytes().begin(), back.bytes().end()) != input) std::abort();
    return 0;
}
