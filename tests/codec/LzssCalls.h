// The codec's two calls on whole byte vectors, for tests that only care about the bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "codec/zmCompress.h"

namespace vornal::testdata {

inline std::vector<Byte> compress(const std::vector<Byte>& input) {
    MemoryStream source(input);
    MemoryStream dest;
    auto size = static_cast<std::int32_t>(input.size());
    EXPECT_EQ(TzmLZSSCompress().Compress(source, dest, size), size);
    return dest.takeBytes();
}

inline std::vector<Byte> decompress(const std::vector<Byte>& packed, std::int32_t size) {
    MemoryStream source(packed);
    MemoryStream dest;
    TzmLZSSCompress().Decompress(source, dest, size);
    return dest.takeBytes();
}

}  // namespace vornal::testdata
