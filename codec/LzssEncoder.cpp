#include "codec/LzssEncoder.h"

#include <algorithm>
#include <memory>
#include <span>
#include <string>

namespace vornal::lzss {

void BitSink::spill() {
    pending_ -= 32;
    storeBe32(buffer_.data() + bytePos_, static_cast<std::uint32_t>(acc_ >> pending_));
    bytePos_ += 4;
    if (bytePos_ >= kBlockSize) writeBlock();
}

void BitSink::writeBlock() {
    dest_.write(std::span(buffer_.data(), kBlockSize));
    // Bytes that spilled past the end open the next block; the rest of the buffer keeps
    // the old block, whose bits may show in the final byte.
    int over = bytePos_ - kBlockSize;
    std::copy_n(buffer_.begin() + kBlockSize, over, buffer_.begin());
    bytePos_ = over;
}

void BitSink::emitByte(Byte value) {
    buffer_[bytePos_++] = value;
    if (bytePos_ == kBlockSize) writeBlock();
}

void BitSink::finish() {
    while (pending_ >= 8) {
        pending_ -= 8;
        emitByte(static_cast<Byte>(acc_ >> pending_));
    }
    std::size_t count = static_cast<std::size_t>(bytePos_);
    if (pending_ > 0) {
        auto low = static_cast<Byte>(0xFFu >> pending_);
        auto high = static_cast<Byte>(acc_ << (8 - pending_));
        buffer_[bytePos_] = static_cast<Byte>((high & ~low) | (buffer_[bytePos_] & low));
        ++count;
        pending_ = 0;
    }
    if (count > 0) dest_.write(std::span(buffer_.data(), count));
    bytePos_ = 0;
}

namespace {

struct EncoderState {
    MatchFinder finder;
    std::array<Byte, kBlockSize + MatchFinder::kPadding> block{};
};

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

void compress(Stream& source, Stream& dest, std::int32_t size) {
    if (size <= 0) return;
    auto state = std::make_unique<EncoderState>();
    BitSink sink(dest);
    for (std::int32_t done = 0; done < size;) {
        auto want = static_cast<std::size_t>(std::min(size - done, kBlockSize));
        // A block must be whole even when the stream delivers in pieces, or the decoder's
        // block boundaries (counted in output bytes) would drift.
        std::size_t got = readFull(source, std::span(state->block.data(), want));
        std::fill_n(state->block.begin() + static_cast<std::ptrdiff_t>(got), MatchFinder::kPadding,
                    Byte{0});
        encodeBlock(state->finder, state->block.data(), static_cast<int>(got), sink);
        done += static_cast<std::int32_t>(got);
        if (got < want) {
            throw StreamError("read error in '" + source.name() + "': " + std::to_string(size) +
                              " bytes to compress, " + std::to_string(done) + " there");
        }
    }
    sink.finish();
}

}  // namespace vornal::lzss
