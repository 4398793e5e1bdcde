#include "PlainLzss.h"

#include <algorithm>
#include <array>

namespace vornal::oracle {

namespace {

constexpr int kBlock = 4096;
constexpr int kMaxMatch = 66;

}  // namespace

void plainCompressBlock(std::span<const Byte> block, TzmBitWriter& writer, int length) {
    auto matchLength = [&](int j, int pos) {
        int k = 0;
        for (;;) {
            if (block[j + k] != block[pos + k]) return k;
            ++k;
            if (k == kMaxMatch || j + k >= pos || pos + k >= length - 1) return k;
        }
    };
    int pos = 0;
    while (pos < length) {
        int best = 0;
        int bestPos = 0;
        if (length - pos >= 3 && pos >= 3) {
            for (int j = 0; j <= pos - 3; ++j) {
                int k = matchLength(j, pos);
                if (k > best) {
                    best = k;
                    bestPos = j;
                    if (best == kMaxMatch) break;
                }
            }
        }
        if (best < 3) best = 0;
        if (best == 0) {
            writer.WriteBit(0);
            writer.WriteByte(block[pos]);
            pos += 1;
        } else {
            writer.WriteBit(1);
            for (int b = 5; b >= 0; --b)
                writer.WriteBit(((best - 3) >> b) & 1);
            for (int b = 11; b >= 0; --b)
                writer.WriteBit((bestPos >> b) & 1);
            pos += best;
        }
    }
}

std::vector<Byte> plainCompress(std::span<const Byte> input) {
    MemoryStream source(std::vector<Byte>(input.begin(), input.end()));
    MemoryStream dest;
    {
        TzmBitWriter writer(dest);
        auto size = static_cast<std::int32_t>(input.size());
        std::int32_t blocks = (size - 1) / kBlock + 1;
        std::array<Byte, kBlock> block{};
        for (std::int32_t b = 0; b < blocks; ++b) {
            auto got = static_cast<int>(source.read(block));
            plainCompressBlock(block, writer, got);
        }
    }
    return dest.takeBytes();
}

std::vector<Byte> plainDecompress(std::span<const Byte> packed, std::int32_t size) {
    MemoryStream source(std::vector<Byte>(packed.begin(), packed.end()));
    MemoryStream dest;
    TzmBitReader reader(source);
    std::array<Byte, kBlock> window{};
    int p = 0;
    auto field = [&](int bits) {
        int v = 0;
        for (int i = 0; i < bits; ++i)
            v = v << 1 | (reader.ReadBit() ? 1 : 0);
        return v;
    };
    while (size > 0) {
        if (!reader.ReadBit()) {
            Byte b = reader.ReadByte();
            dest.write(std::span(&b, 1));
            window[p++] = b;
            size -= 1;
        } else {
            int length = field(6) + 3;
            int from = field(12);
            if (from + length > p || p + length > kBlock) throw StreamError("damaged match");
            dest.write(std::span(window.data() + from, length));
            for (int k = 0; k < length; ++k)
                window[p + k] = window[from + k];
            p += length;
            size -= length;
        }
        if (p == kBlock) p = 0;
    }
    return dest.takeBytes();
}

}  // namespace vornal::oracle
