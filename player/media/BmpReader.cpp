#include "player/media/BmpReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace vornal {

namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kWidthAt = 18;
constexpr std::int32_t kCoreHeader = 12;  // OS/2: 16-bit width and height
constexpr std::int32_t kInfoHeader = 40;
constexpr std::int32_t kOs2Header = 64;  // read as far as the info header goes
constexpr std::int32_t kV4Header = 108;  // adds the masks
constexpr std::int32_t kV5Header = 124;
enum Compression : std::int32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

std::uint32_t le16(std::span<const Byte> data, std::size_t at) {
    return std::uint32_t{data[at]} | std::uint32_t{data[at + 1]} << 8;
}

std::uint32_t le32(std::span<const Byte> data, std::size_t at) {
    return le16(data, at) | le16(data, at + 2) << 16;
}

// The bytes as a device that reads on from a position, as the desktop's reader sees them: a
// read near the end delivers what is there, a seek outside the data is refused.
class Source {
public:
    explicit Source(std::span<const Byte> data) : data_(data) {}

    bool atEnd() const { return pos_ >= data_.size(); }
    std::size_t pos() const { return pos_; }
    void seek(std::int64_t to) {
        if (to >= 0 && static_cast<std::uint64_t>(to) <= data_.size())
            pos_ = static_cast<std::size_t>(to);
    }
    // Copies up to `n` bytes; true when all `n` were there.
    bool read(Byte* out, std::size_t n) {
        const std::size_t got = std::min(n, data_.size() - pos_);
        std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(pos_), got, out);
        pos_ += got;
        return got == n;
    }
    std::optional<Byte> next() {
        if (atEnd()) return std::nullopt;
        return data_[pos_++];
    }
    std::uint32_t nextLE32() {
        Byte bytes[4] = {};
        read(bytes, 4);
        return le32(bytes, 0);
    }

private:
    std::span<const Byte> data_;
    std::size_t pos_ = 0;
};

struct Header {
    std::int32_t size = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    int planes = 0;
    int bits = 0;
    std::int32_t compression = kRgb;
    std::int32_t colorsUsed = 0;
    std::uint32_t masks[4] = {};  // red, green, blue, alpha (from a V4 or V5 header)
    std::size_t end = 0;          // where the fields read end
};

std::optional<Header> readHeader(std::span<const Byte> data) {
    Header h;
    if (data.size() < kFileHeader + 4) return std::nullopt;
    h.size = static_cast<std::int32_t>(le32(data, kFileHeader));
    const std::size_t at = kFileHeader + 4;
    if (h.size == kInfoHeader || h.size == kOs2Header || h.size == kV4Header ||
        h.size == kV5Header) {
        const std::size_t fields = h.size == kOs2Header ? kInfoHeader : h.size;
        h.end = kFileHeader + fields;
        if (data.size() < h.end) return std::nullopt;
        h.width = static_cast<std::int32_t>(le32(data, at));
        h.height = static_cast<std::int32_t>(le32(data, at + 4));
        h.planes = static_cast<std::int16_t>(le16(data, at + 8));
        h.bits = static_cast<std::int16_t>(le16(data, at + 10));
        h.compression = static_cast<std::int32_t>(le32(data, at + 12));
        h.colorsUsed = static_cast<std::int32_t>(le32(data, at + 28));
        if (h.size >= kV4Header) {
            for (std::size_t i = 0; i < 4; ++i)
                h.masks[i] = le32(data, at + 36 + 4 * i);
        }
        return h;
    }
    // Any other size is taken for the old header, as the desktop's reader takes it.
    h.end = kFileHeader + kCoreHeader;
    if (data.size() < h.end) return std::nullopt;
    h.width = static_cast<std::int16_t>(le16(data, at));
    h.height = static_cast<std::int16_t>(le16(data, at + 2));
    h.planes = static_cast<std::int16_t>(le16(data, at + 4));
    h.bits = static_cast<std::int16_t>(le16(data, at + 6));
    return h;
}

bool acceptable(const Header& h) {
    const int n = h.bits;
    const std::int32_t c = h.compression;
    if (!(n == 1 || n == 4 || n == 8 || n == 16 || n == 24 || n == 32) || h.planes != 1 ||
        c > kBitFields)
        return false;
    if (!(c == kRgb || (n == 4 && c == kRle4) || (n == 8 && c == kRle8) ||
          ((n == 16 || n == 32) && c == kBitFields)))
        return false;
    if (h.height == INT32_MIN || h.width <= 0 || h.height == 0) return false;
    return std::uint64_t(h.width) * std::uint64_t(std::abs(std::int64_t{h.height})) <=
           std::uint64_t{16384} * 16384;
}

int shiftOf(std::uint32_t mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        ++shift;
        mask >>= 1;
    }
    return shift;
}

// One colour channel of a 16- or 32-bit pixel: its bits shifted down and scaled by
// 256 / (the mask's largest value + 1), the low bits left empty.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t scale = 0;

    // False for a mask of every bit, which the scale cannot be computed for.
    bool set(std::uint32_t m) {
        mask = m;
        shift = shiftOf(m);
        const std::uint64_t top = (std::uint64_t{m} >> shift) + 1;
        if (top == (std::uint64_t{1} << 32)) return false;
        scale = static_cast<std::uint32_t>(256 / top);
        return true;
    }
    std::uint32_t of(std::uint32_t pixel) const { return ((pixel & mask) >> shift) * scale & 0xFF; }
};

// Paletted pixels, one byte each, in rows of `stride` bytes kept top row first as the
// desktop's reader keeps them; its run-length decoder writes through the rows as one line.
struct Indexed {
    int width = 0;
    int height = 0;
    std::size_t stride = 0;
    std::vector<Byte> bytes;

    Byte* row(int y) { return bytes.data() + static_cast<std::size_t>(y) * stride; }
};

void readRle(Source& in, Indexed& image, bool four) {
    const int w = image.width;
    const int h = image.height;
    Byte* const data = image.bytes.data();
    std::size_t p = static_cast<std::size_t>(h - 1) * image.stride;  // the bottom row first
    const std::size_t end = p + static_cast<std::size_t>(w);         // of the bottom row only
    const auto put = [&](Byte value) { data[p++] = value; };
    int x = 0;
    int y = 0;
    while (y < h) {
        const std::optional<Byte> first = in.next();
        if (!first) break;
        if (*first != 0) {  // a run of one value (RLE4: two alternating)
            const std::size_t count = std::min<std::size_t>(*first, end - std::min(end, p));
            // At the end of the data the desktop's reader repeats what it last held.
            const Byte value = in.next().value_or(four ? static_cast<Byte>(count) : 0);
            for (std::size_t i = 0; i < count; ++i)
                put(four ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
            x += static_cast<int>(count);
            continue;
        }
        const std::optional<Byte> escape = in.next();
        if (!escape || *escape == 1) break;  // end of the bitmap
        if (*escape == 0) {                  // end of the line
            x = 0;
            ++y;
            p = static_cast<std::size_t>(h - y - 1) * image.stride;
        } else if (*escape == 2) {  // a jump right and up
            x += in.next().value_or(0);
            y += in.next().value_or(0);
            if (static_cast<unsigned>(x) >= static_cast<unsigned>(w)) x = w - 1;
            if (static_cast<unsigned>(y) >= static_cast<unsigned>(h)) y = h - 1;
            p = static_cast<std::size_t>(h - y - 1) * image.stride + static_cast<std::size_t>(x);
        } else {  // so many values as they are, padded to a 16-bit boundary
            const std::size_t count = std::min<std::size_t>(*escape, end - std::min(end, p));
            if (four) {
                auto pair = static_cast<Byte>(count);
                for (std::size_t i = 0; i < count; ++i) {
                    if (i % 2 == 0) pair = in.next().value_or(pair);
                    put(i % 2 == 0 ? pair >> 4 : pair & 0x0F);
                }
                if (((count & 3) + 1) & 2) in.next();
            } else {
                if (!in.read(data + p, count)) throw PictureError("damaged Windows bitmap");
                p += count;
                if (count & 1) in.next();
            }
            x += static_cast<int>(count);
        }
    }
}

void readPaletted(Source& in, const Header& h, Indexed& image) {
    const int w = image.width;
    if (h.compression == kRle4 || h.compression == kRle8) return readRle(in, image, h.bits == 4);
    const std::size_t fileStride = (static_cast<std::size_t>(w) * h.bits + 31) / 32 * 4;
    std::vector<Byte> row(fileStride);
    for (int y = image.height - 1; y >= 0; --y) {
        if (h.bits == 8) {
            if (!in.read(image.row(y), fileStride)) break;
            continue;
        }
        std::fill(row.begin(), row.end(), 0);
        const bool whole = in.read(row.data(), fileStride);
        if (h.bits == 4 && !whole) break;
        for (int x = 0; x < w; ++x) {
            const Byte b = row[static_cast<std::size_t>(x) * h.bits / 8];
            image.row(y)[x] =
                h.bits == 4 ? (x % 2 == 0 ? b >> 4 : b & 0x0F) : (b >> (7 - x % 8)) & 1;
        }
        if (!whole) break;
    }
}

void readDirect(Source& in, const Header& h, const Channel (&channels)[3], Bitmap& out) {
    const auto width = static_cast<std::size_t>(out.width);
    const std::size_t fileStride = (width * h.bits + 31) / 32 * 4;
    const std::size_t pixelBytes = static_cast<std::size_t>(h.bits) / 8;
    std::vector<Byte> row(fileStride);
    for (int y = out.height - 1; y >= 0; --y) {
        if (!in.read(row.data(), fileStride)) break;
        std::uint32_t* pixel = out.pixels.data() + static_cast<std::size_t>(y) * width;
        for (std::size_t x = 0; x < width; ++x) {
            std::uint32_t c = 0;
            for (std::size_t i = 0; i < pixelBytes; ++i)
                c |= std::uint32_t{row[x * pixelBytes + i]} << (8 * i);
            pixel[x] = channels[0].of(c) << 16 | channels[1].of(c) << 8 | channels[2].of(c);
        }
    }
}

[[noreturn]] void damaged() {
    throw PictureError("damaged Windows bitmap");
}

}  // namespace

void checkBmpHeaders(std::span<const Byte> data, const PictureLimits& limits) {
    if (data.size() < kWidthAt + 8 || data[0] != 'B' || data[1] != 'M')
        throw PictureError("not a Windows bitmap");
    const auto header = static_cast<std::int32_t>(le32(data, kFileHeader));
    if (header == kCoreHeader) return limits.check(le16(data, kWidthAt), le16(data, kWidthAt + 2));
    if (header < kInfoHeader) throw PictureError("not a Windows bitmap");
    const auto width = static_cast<std::int32_t>(le32(data, kWidthAt));
    const auto height = static_cast<std::int32_t>(le32(data, kWidthAt + 4));
    // A negative height is a top-down bitmap of that many rows.
    limits.check(width, height < 0 ? -std::int64_t{height} : height);
}

Bitmap readBmp(std::span<const Byte> data, const PictureLimits& limits) {
    checkBmpHeaders(data, limits);
    const std::optional<Header> header = readHeader(data);
    if (!header || !acceptable(*header)) damaged();
    const Header& h = *header;
    Source in(data);
    in.seek(static_cast<std::int64_t>(h.end));
    if (in.atEnd()) damaged();
    in.seek(std::int64_t{kFileHeader} + h.size);  // the palette or the masks

    const bool bitFields = h.compression == kBitFields;
    std::uint32_t masks[3] = {h.masks[0], h.masks[1], h.masks[2]};
    if (h.size < kV4Header && bitFields) {
        for (std::uint32_t& mask : masks) {
            Byte bytes[4];
            if (!in.read(bytes, 4)) damaged();
            mask = le32(bytes, 0);
        }
    }
    Channel channels[3];
    const bool paletted = h.bits <= 8;
    std::vector<std::uint32_t> palette;
    if (paletted) {
        const std::int32_t colors = h.colorsUsed != 0 ? h.colorsUsed : 1 << h.bits;
        if (colors < 1 || colors > 256) damaged();
        const std::size_t entry = h.size == kCoreHeader ? 3 : 4;
        for (std::int32_t i = 0; i < colors; ++i) {
            Byte bgr[4];
            if (!in.read(bgr, entry) || in.atEnd()) damaged();
            palette.push_back(std::uint32_t{bgr[2]} << 16 | std::uint32_t{bgr[1]} << 8 | bgr[0]);
        }
        // Missing entries: black, and white for the second colour of a 1-bit picture.
        if (h.bits == 1 && palette.size() < 2) palette.push_back(0xFFFFFF);
        palette.resize(256, 0);
    } else if (bitFields) {
        // The alpha mask must allow a scale too, although alpha is not kept.
        if (!channels[0].set(masks[0]) || !channels[1].set(masks[1]) ||
            !channels[2].set(masks[2]) || !Channel().set(h.masks[3]))
            damaged();
    } else if (h.bits == 16) {  // 5 bits a channel, widened by shifting
        channels[0] = {0x7C00, 7, 1};
        channels[1] = {0x03E0, 2, 1};
        channels[2] = {0x001F, 0, 8};
    } else {
        channels[0] = {0xFF0000, 16, 1};
        channels[1] = {0x00FF00, 8, 1};
        channels[2] = {0x0000FF, 0, 1};
    }

    const std::int64_t dataAt = std::int64_t{static_cast<std::int32_t>(le32(data, 10))};
    if (dataAt >= 0 && static_cast<std::uint64_t>(dataAt) > in.pos()) in.seek(dataAt);

    Bitmap out;
    out.width = h.width;
    out.height = h.height < 0 ? -h.height : h.height;
    const auto width = static_cast<std::size_t>(out.width);
    out.pixels.assign(width * static_cast<std::size_t>(out.height), 0);
    if (paletted) {
        Indexed image{out.width, out.height, (width + 3) / 4 * 4, {}};
        image.bytes.assign(image.stride * static_cast<std::size_t>(out.height), 0);
        readPaletted(in, h, image);
        for (int y = 0; y < out.height; ++y) {
            std::transform(image.row(y), image.row(y) + width, out.pixels.begin() + y * width,
                           [&](Byte index) { return palette[index]; });
        }
    } else {
        readDirect(in, h, channels, out);
    }
    if (h.height < 0) {
        for (int y = 0; y < out.height / 2; ++y) {
            std::swap_ranges(out.pixels.begin() + y * width, out.pixels.begin() + (y + 1) * width,
                             out.pixels.begin() + (out.height - 1 - y) * width);
        }
    }
    return out;
}

}  // namespace vornal
