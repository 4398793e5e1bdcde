// Songs for the tests, written byte by byte: only the chunk frames are built here.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "codec/Stream.h"

namespace vornal::test {

using Bytes = std::vector<Byte>;

inline void PutBE(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<Byte>(value >> (8 * i)));
}

inline Bytes Header(std::uint16_t format, std::uint16_t tracks, std::uint16_t division,
                    std::uint32_t length = 6) {
    Bytes out{'M', 'T', 'h', 'd'};
    PutBE(out, length, 4);
    PutBE(out, format, 2);
    PutBE(out, tracks, 2);
    PutBE(out, division, 2);
    return out;
}

// A track chunk around `events`; `length` overrides the declared length.
inline Bytes Track(const Bytes& events, std::int64_t length = -1) {
    Bytes out{'M', 'T', 'r', 'k'};
    PutBE(
        out,
        length < 0 ? static_cast<std::uint32_t>(events.size()) : static_cast<std::uint32_t>(length),
        4);
    out.insert(out.end(), events.begin(), events.end());
    return out;
}

inline Bytes Song(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

}  // namespace vornal::test
