#include "codec/zmCompress.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "codec/zmBitStream.h"

namespace vornal {

namespace {

constexpr int kBlock = 4096;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 66;

// Fills `buffer` as far as the stream allows; a block must not end early just because a
// stream delivers in pieces, or the decoder's block boundaries would drift.
std::size_t readFull(Stream& source, std::span<Byte> buffer) {
    std::size_t got = 0;
    while (got < buffer.size()) {
        std::size_t n = source.read(buffer.subspan(got));
        if (n == 0) break;
        got += n;
    }
    return got;
}

}  // namespace

std::int32_t TzmLZSSCompress::Compress(Stream& source, Stream& dest, std::int32_t size) {
    TzmBitWriter writer(dest);
    std::array<Byte, kBlock> block;
    for (std::int32_t done = 0; done < size;) {
        auto want = static_cast<std::size_t>(std::min(size - done, kBlock));
        std::size_t got = readFull(source, std::span(block.data(), want));
        CompressBlock(block, writer, static_cast<int>(got));
        done += static_cast<std::int32_t>(got);
        if (got < want) {
            throw StreamError("read error in '" + source.name() + "': " + std::to_string(size) +
                              " bytes to compress, " + std::to_string(done) + " there");
        }
    }
    writer.Finish();
    return size;
}

void TzmLZSSCompress::CompressBlock(std::span<const Byte> block, TzmBitWriter& writer, int length) {
    length = std::clamp(length, 0, static_cast<int>(std::min<std::size_t>(block.size(), kBlock)));
    auto matchLength = [&](int j, int pos) {
        int limit = std::min({kMaxMatch, pos - j, length - 1 - pos});
        int k = 0;
        while (k < limit && block[j + k] == block[pos + k])
            ++k;
        return k;
    };
    int pos = 0;
    while (pos < length) {
        int best = 0;
        int bestPos = 0;
        if (length - pos >= kMinMatch && pos >= kMinMatch) {
            for (int j = 0; j <= pos - kMinMatch && best < kMaxMatch; ++j) {
                int k = matchLength(j, pos);
                if (k > best) {
                    best = k;
                    bestPos = j;
                }
            }
        }
        if (best < kMinMatch) {
            writer.WriteBit(0);
            writer.WriteByte(block[pos]);
            ++pos;
        } else {
            writer.WriteBit(1);
            for (int b = 5; b >= 0; --b)
                writer.WriteBit(((best - kMinMatch) >> b) & 1);
            for (int b = 11; b >= 0; --b)
                writer.WriteBit((bestPos >> b) & 1);
            pos += best;
        }
    }
}

void TzmLZSSCompress::Decompress(Stream& source, Stream& dest, std::int32_t size) {
    if (size <= 0) return;
    TzmBitReader reader(source);
    std::array<Byte, kBlock> window{};
    int p = 0;
    auto readBits = [&](int n) {
        int v = 0;
        for (int i = 0; i < n; ++i)
            v = (v << 1) | (reader.ReadBit() ? 1 : 0);
        return v;
    };
    std::int64_t left = size;
    while (left > 0) {
        if (!reader.ReadBit()) {
            window[p++] = reader.ReadByte();
            --left;
        } else {
            int len = readBits(6) + kMinMatch;
            int q = readBits(12);
            if (q + len > p || p + len > kBlock) {
                throw StreamError("damaged compressed data in '" + source.name() + "': match of " +
                                  std::to_string(len) + " bytes from " + std::to_string(q) +
                                  " at block position " + std::to_string(p));
            }
            std::copy_n(window.begin() + q, len, window.begin() + p);
            p += len;
            left -= len;
        }
        if (p == kBlock) {
            dest.write(window);
            p = 0;
        }
    }
    dest.write(std::span(window.data(), static_cast<std::size_t>(p)));
}

}  // namespace vornal
