#include "codec/LzssMatchFinder.h"

#include <algorithm>

namespace vornal::lzss {

void MatchFinder::prepare(const Byte* block, int length) {
    block_ = block;
    length_ = length;
    first_.fill(kEnd);
    // Built backwards so every chain runs from the lowest position upwards.
    for (int j = length - kMinMatch; j >= 0; --j) {
        int h = hashAt(j);
        next_[j] = first_[h];
        first_[h] = static_cast<std::uint16_t>(j);
    }
}

int MatchFinder::commonLength(int a, int b, int limit) const {
    int k = 0;
    while (k < limit) {
        std::uint64_t diff = loadLe64(block_ + a + k) ^ loadLe64(block_ + b + k);
        if (diff != 0) return std::min(limit, k + std::countr_zero(diff) / 8);
        k += 8;
    }
    return limit;
}

Match MatchFinder::find(int pos) const {
    // The block's last byte is never covered, and the first three bytes have nothing
    // behind them to match.
    int cap = std::min(kMaxMatch, length_ - 1 - pos);
    if (pos < kMinMatch || cap < kMinMatch) return {};
    int best = kMinMatch - 1;
    int bestPos = 0;
    for (int j = first_[hashAt(pos)]; j != kEnd && j <= pos - kMinMatch; j = next_[j]) {
        // A match may not run into the current position; later candidates only get closer.
        int limit = std::min(cap, pos - j);
        if (limit <= best) break;
        // Only a candidate that also agrees one byte past the best so far can beat it.
        if (block_[j + best] != block_[pos + best]) continue;
        int k = commonLength(j, pos, limit);
        if (k > best) {
            best = k;
            bestPos = j;
            if (best == cap) break;
        }
    }
    if (best < kMinMatch) return {};
    return {best, bestPos};
}

}  // namespace vornal::lzss
