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

// Bits of the source, most significant first, held in a 64-bit buffer whose top
// `count_` bits are the next ones. Past the end of the source it supplies zero bits and
// counts them, so the decoder can tell that it used bits that do not exist.
class BitSource {
public:
    explicit BitSource(Stream& source) : source_(source) {}

    // Afterwards at least 56 bits are available (zeros past the end).
    void refill() {
        if (end_ - pos_ >= 8) {
            acc_ |= loadBe64(chunk_.data() + pos_) >> count_;
            pos_ += static_cast<std::size_t>((63 - count_) >> 3);
            count_ |= 56;
        } else {
            refillSlow();
        }
    }
    std::uint64_t peek() const { return acc_; }
    // Returns false when the bits just consumed went past the end of the source.
    bool consume(int bits) {
        acc_ <<= bits;
        count_ -= bits;
        return count_ >= padding_;
    }
    int available() const { return count_; }

private:
    void refillSlow();

    Stream& source_;
    std::array<Byte, kChunk> chunk_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    std::uint64_t acc_ = 0;
    int count_ = 0;
    int padding_ = 0;  // made-up zero bits at the bottom of the available ones
};

void BitSource::refillSlow() {
    if (!atEnd_) {
        std::size_t left = end_ - pos_;
        std::memmove(chunk_.data(), chunk_.data() + pos_, left);
        pos_ = 0;
        end_ = left;
        while (end_ < chunk_.size()) {
            std::size_t n = source_.read(std::span(chunk_.data() + end_, chunk_.size() - end_));
            if (n == 0) {
                atEnd_ = true;
                break;
            }
            end_ += n;
        }
        if (end_ - pos_ >= 8) {
            refill();
            return;
        }
    }
    // The fast path leaves copies of the following bits below the available ones; clear
    // them before adding bytes one at a time.
    if (count_ == 0) {
        acc_ = 0;
    } else {
        acc_ &= ~std::uint64_t{0} << (64 - count_);
    }
    while (count_ <= 56) {
        if (pos_ < end_) {
            acc_ |= std::uint64_t{chunk_[pos_++]} << (56 - count_);
        } else {
            padding_ += 8;
        }
        count_ += 8;
    }
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
    auto window = std::make_unique<Window>();
    Byte* w = window->bytes.data();
    int p = 0;
    std::int64_t left = size;
    while (left > 0) {
        in->refill();
        // At least 56 bits are there: enough for two tokens of up to 19 bits each.
        for (int t = 0; t < 2 && left > 0; ++t) {
            std::uint64_t bits = in->peek();
            if ((bits >> 63) == 0) {
                w[p++] = static_cast<Byte>(bits >> 55);
                --left;
                if (!in->consume(kLiteralBits)) damaged(source, "data ends early");
            } else {
                auto token = static_cast<std::uint32_t>(bits >> (64 - kMatchBits));
                int length = static_cast<int>((token >> 12) & 63) + kMinMatch;
                int from = static_cast<int>(token & 4095);
                if (!in->consume(kMatchBits)) damaged(source, "data ends early");
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
