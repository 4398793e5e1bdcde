// Finds, for a position of a block, the match the format's encoder must choose: the
// longest run equal to an earlier one of the same block, at most 66 bytes, ending before
// the current position and before the block's last byte; among equal lengths the lowest
// position. Uses chains of earlier positions that share a 3-byte hash, walked in
// ascending order so that the first candidate reaching the limit is the answer.
#pragma once

#include <array>
#include <cstdint>

#include "codec/LzssFormat.h"

namespace vornal::lzss {

struct Match {
    int length = 0;  // 0: write a literal
    int position = 0;
};

class MatchFinder {
public:
    // Bytes readable past the block's length: the finder compares 8 bytes at a time.
    static constexpr int kPadding = 8;

    // `block` holds `length` (<= 4096) bytes followed by kPadding readable bytes; it must
    // stay unchanged until the next prepare.
    void prepare(const Byte* block, int length);
    Match find(int pos) const;

private:
    static constexpr int kHashBits = 13;
    static constexpr std::uint16_t kEnd = 0xFFFF;

    int hashAt(int pos) const {
        return static_cast<int>(((loadLe32(block_ + pos) & 0xFFFFFFu) * 2654435761u) >>
                                (32 - kHashBits));
    }
    int commonLength(int a, int b, int limit) const;

    const Byte* block_ = nullptr;
    int length_ = 0;
    std::array<std::uint16_t, 1 << kHashBits> first_;  // lowest position per hash
    std::array<std::uint16_t, kBlockSize> next_;       // next higher position, same hash
};

}  // namespace vornal::lzss
