// Constants of the LZSS token format (docs/lzss-format.md) and the byte-order helpers the
// fast encoder and decoder share. Internal to the codec.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "codec/Stream.h"

namespace vornal::lzss {

inline constexpr int kBlockSize = 4096;  // also the window: matches never leave their block
inline constexpr int kMinMatch = 3;
inline constexpr int kMaxMatch = 66;    // 3 + the largest 6-bit length field
inline constexpr int kLiteralBits = 9;  // flag 0 + byte
inline constexpr int kMatchBits = 19;   // flag 1 + 6-bit length - 3 + 12-bit block position

inline std::uint32_t loadLe32(const Byte* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
    return v;
}

inline std::uint64_t loadLe64(const Byte* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    return v;
}

inline std::uint64_t loadBe64(const Byte* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    return v;
}

inline void storeBe32(Byte* p, std::uint32_t v) {
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap32(v);
    std::memcpy(p, &v, sizeof v);
}

}  // namespace vornal::lzss
