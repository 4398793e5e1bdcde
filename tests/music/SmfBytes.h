// Songs for the tests and benchmarks, written byte by byte: only the chunk frames are built
// here, and a dense song.
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

// A format 0 song of 16 channels playing a note each every `ticksApart` ticks for `notes`
// rounds (division 96, 120 beats per minute: a tick is 5.2 ms).
inline Bytes DenseSong(int notes, int ticksApart) {
    Bytes events;
    for (int channel = 0; channel < 16; ++channel)
        events.insert(events.end(),
                      {0x00, static_cast<Byte>(0xC0 | channel), static_cast<Byte>(channel * 7)});
    for (int n = 0; n < notes; ++n) {
        for (int channel = 0; channel < 16; ++channel) {
            const auto key = static_cast<Byte>(48 + (n * 5 + channel * 3) % 36);
            events.insert(events.end(), {static_cast<Byte>(channel == 0 ? ticksApart : 0),
                                         static_cast<Byte>(0x90 | channel), key, 0x50});
            events.insert(events.end(), {0x00, static_cast<Byte>(0x80 | channel), key, 0x00});
        }
    }
    events.insert(events.end(), {0x00, 0xFF, 0x2F, 0x00});
    return Song({Header(0, 1, 96), Track(events)});
}

}  // namespace vornal::test
