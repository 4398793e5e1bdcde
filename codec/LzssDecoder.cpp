#include "codec/LzssDecoder.h"

#include <array>
#include <memory>
#include <span>
#include <string>

#include "codec/LzssFormat.h"

namespace vornal::lzss {

namespace {

constexpr std::size_t kChunk = 16 * 1024;
// A match is copied in 16-byte pieces, which may run up to 15 bytes past its end.
constexpr int kCopySlack = 80;

// The bit reader's registers: the next bits of the source, most significant first, in the
// top `count` bits of `acc`, and where the next byte of the chunk is. The decoding loop keeps
// them in locals; as fields of an object they would be reloaded after every byte written to
// the window, which may alias anything.
struct Bits {
    std::uint64_t acc = 0;
    int count = 0;
    int padding = 0;  // made-up zero bits at the bottom of the available ones
    std::size_t pos = 0;
    std::size_t end = 0;

    bool canRefill() const { return end - pos >= 8; }
    // From the chunk `data`, where canRefill(): afterwards at least 56 bits are available.
    void refill(const Byte* data) {
        acc |= loadBe64(data + pos) >> count;
        pos += static_cast<std::size_t>((63 - count) >> 3);
        count |= 56;
    }
    // Returns false when the bits just consumed went past the end of the source.
    bool consume(int n) {
        acc <<= n;
        count -= n;
        return count >= padding;
    }
};

// The chunk of the source that the bits come from. Past the end of the source it supplies
// zero bits and counts them, so the decoder can tell that it used bits that do not exist.
class BitSource {
public:
    explicit BitSource(Stream& source) : source_(source) {}

    const Byte* data() const { return chunk_.data(); }
    // Refills where !bits.canRefill(), reading more of the source: at least 56 bits are
    // available afterwards (zeros past the end).
    Bits refillSlow(Bits bits);

private:
    Stream& source_;
    std::array<Byte, kChunk> chunk_;
    bool atEnd_ = false;
};

Bits BitSource::refillSlow(Bits bits) {
    if (!atEnd_) {
        std::size_t left = bits.end - bits.pos;
        std::memmove(chunk_.data(), chunk_.data() + bits.pos, left);
        bits.pos = 0;
        bits.end = left;
        while (bits.end < chunk_.size()) {
            std::size_t n =
                source_.read(std::span(chunk_.data() + bits.end, chunk_.size() - bits.end));
            if (n == 0) {
                atEnd_ = true;
                break;
            }
            bits.end += n;
        }
        if (bits.canRefill()) {
            bits.refill(chunk_.data());
            return bits;
        }
    }
    // The fast path leaves copies of the following bits below the available ones; clear
    // them before adding bytes one at a time.
    if (bits.count == 0) {
        bits.acc = 0;
    } else {
        bits.acc &= ~std::uint64_t{0} << (64 - bits.count);
    }
    while (bits.count <= 56) {
        if (bits.pos < bits.end) {
            bits.acc |= std::uint64_t{chunk_[bits.pos++]} << (56 - bits.count);
        } else {
            bits.padding += 8;
        }
        bits.count += 8;
    }
    return bits;
}

struct Window {
    std::array<Byte, kBlockSize + kCopySlack> bytes;
};

[[noreturn]] void damaged(const Stream& source, std::string what) {
    throw StreamError("damaged compressed data in '" + source.name() + "': " + what);
}

[[noreturn]] void badMatch(const Stream& source, int length, int from, int p) {
    std::string what = "match of ";
    what.append(std::to_string(length)).append(" bytes from ").append(std::to_string(from));
    what.append(" at block position ").append(std::to_string(p));
    damaged(source, std::move(what));
}

}  // namespace

void decompress(Stream& source, Stream& dest, std::int32_t size) {
    if (size <= 0) return;
    auto in = std::make_unique<BitSource>(source);
    const Byte* data = in->data();
    Bits bits;
    auto window = std::make_unique<Window>();
    Byte* w = window->bytes.data();
    int p = 0;
    std::int64_t left = size;
    while (left > 0) {
        if (bits.canRefill()) {
            bits.refill(data);
        } else {
            bits = in->refillSlow(bits);
        }
        // At least 56 bits are there: tokens are taken while one of up to 19 bits fits.
        while (bits.count >= kMatchBits && left > 0) {
            if ((bits.acc >> 63) == 0) {
                w[p++] = static_cast<Byte>(bits.acc >> 55);
                --left;
                if (!bits.consume(kLiteralBits)) damaged(source, "data ends early");
            } else {
                auto token = static_cast<std::uint32_t>(bits.acc >> (64 - kMatchBits));
                int length = static_cast<int>((token >> 12) & 63) + kMinMatch;
                int from = static_cast<int>(token & 4095);
                if (!bits.consume(kMatchBits)) damaged(source, "data ends early");
                // The encoder only copies bytes wholly behind the current position, and
                // never past the block's end.
                if (from + length > p || p + length > kBlockSize) {
                    badMatch(source, length, from, p);
                }
                for (int k = 0; k < length; k += 16) {
                    Byte piece[16];
                    std::memcpy(piece, w + from + k, 16);
                    std::memcpy(w + p + k, piece, 16);
                }
                p += length;
                left -= length;
            }
            if (p == kBlockSize) {
                dest.write(std::span(w, kBlockSize));
                p = 0;
            }
        }
    }
    dest.write(std::span(w, static_cast<std::size_t>(p)));
}

}  // namespace vornal::lzss
