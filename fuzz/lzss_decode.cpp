// Decodes arbitrary bytes with an arbitrary size: must never crash, overrun or hang; when
// it succeeds, the bit-by-bit decoder must agree.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codec/zmCompress.h"
#include "tests/codec/PlainLzss.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vornal;
    if (size < 4) return 0;
    // First 4 bytes: the size to produce, up to 1 MiB either sign.
    std::uint32_t raw = data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t{data[3]} << 24;
    auto want = static_cast<std::int32_t>(raw & 0xFFFFF);
    if (raw & 0x80000000u) want = -want;
    std::vector<Byte> packed(data + 4, data + size);

    MemoryStream source(packed);
    MemoryStream dest;
    try {
        TzmLZSSCompress().Decompress(source, dest, want);
    } catch (const StreamError&) {
        return 0;  // damaged or cut short: refusing is the promised outcome
    }
    auto got = static_cast<std::int64_t>(dest.size());
    if (want <= 0 ? got != 0 : (got < want || got > std::int64_t{want} + 65)) std::abort();
    if (want > 0 && oracle::plainDecompress(packed, want) !=
                        std::vector<Byte>(dest.bytes().begin(), dest.bytes().end())) {
        std::abort();
    }
    return 0;
}
