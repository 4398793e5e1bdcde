#include "player/media/PictureWriters.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace vornal {

namespace {

// What a picture made without a screen declares: 100 dots per inch.
constexpr std::uint32_t kDotsPerMeter = 3937;

void putLE(std::vector<Byte>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<Byte>(value >> (8 * i)));
}

void putBE(std::vector<Byte>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<Byte>(value >> shift));
}

void requirePixels(const Bitmap& bitmap) {
    if (bitmap.width <= 0 || bitmap.height <= 0 ||
        bitmap.pixels.size() !=
            static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height))
        throw PictureError("an empty picture cannot be written");
}

std::uint32_t crc32(const Byte* data, std::size_t size, std::uint32_t crc = 0) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void putChunk(std::vector<Byte>& out, std::string_view type, const std::vector<Byte>& body) {
    putBE(out, static_cast<std::uint32_t>(body.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), body.begin(), body.end());
    putBE(out, crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored blocks: the bytes themselves, in pieces of at most 65535.
std::vector<Byte> storedZlib(const std::vector<Byte>& raw) {
    std::vector<Byte> out = {0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t size = std::min<std::size_t>(raw.size() - at, 65535);
        out.push_back(at + size == raw.size() ? 1 : 0);  // the last block says so
        putLE(out, static_cast<std::uint32_t>(size), 2);
        putLE(out, static_cast<std::uint32_t>(~size & 0xFFFF), 2);
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                   raw.begin() + static_cast<std::ptrdiff_t>(at + size));
        at += size;
    } while (at < raw.size());
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (const Byte byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBE(out, b << 16 | a);
    return out;
}

}  // namespace

std::vector<Byte> writeBmpFile(const Bitmap& bitmap) {
    requirePixels(bitmap);
    const auto width = static_cast<std::size_t>(bitmap.width);
    const std::size_t stride = (width * 3 + 3) / 4 * 4;
    const std::size_t pixelBytes = stride * static_cast<std::size_t>(bitmap.height);
    if (pixelBytes + 54 > UINT32_MAX) throw PictureError("the picture is too large to write");
    std::vector<Byte> out = {'B', 'M'};
    out.reserve(54 + pixelBytes);
    putLE(out, static_cast<std::uint32_t>(54 + pixelBytes), 4);
    putLE(out, 0, 4);   // reserved
    putLE(out, 54, 4);  // where the pixels begin
    putLE(out, 40, 4);  // the header's size
    putLE(out, static_cast<std::uint32_t>(bitmap.width), 4);
    putLE(out, static_cast<std::uint32_t>(bitmap.height), 4);  // positive: bottom-up
    putLE(out, 1, 2);                                          // planes
    putLE(out, 24, 2);                                         // bits per pixel
    putLE(out, 0, 4);                                          // no compression
    putLE(out, static_cast<std::uint32_t>(pixelBytes), 4);
    putLE(out, kDotsPerMeter, 4);
    putLE(out, kDotsPerMeter, 4);
    putLE(out, 0, 4);  // colours used
    putLE(out, 0, 4);  // colours important
    for (int y = bitmap.height - 1; y >= 0; --y) {
        for (std::size_t x = 0; x < width; ++x)
            putLE(out, bitmap.pixels[static_cast<std::size_t>(y) * width + x], 3);
        out.resize(out.size() + stride - width * 3, 0);
    }
    return out;
}

std::vector<Byte> writePngFile(const Bitmap& bitmap) {
    requirePixels(bitmap);
    const auto width = static_cast<std::size_t>(bitmap.width);
    std::vector<Byte> raw;
    raw.reserve((width * 3 + 1) * static_cast<std::size_t>(bitmap.height));
    for (std::size_t y = 0; y < static_cast<std::size_t>(bitmap.height); ++y) {
        raw.push_back(0);  // no filter
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t rgb = bitmap.pixels[y * width + x];
            raw.insert(raw.end(), {static_cast<Byte>(rgb >> 16), static_cast<Byte>(rgb >> 8),
                                   static_cast<Byte>(rgb)});
        }
    }
    std::vector<Byte> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<Byte> header;
    putBE(header, static_cast<std::uint32_t>(bitmap.width));
    putBE(header, static_cast<std::uint32_t>(bitmap.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", storedZlib(raw));
    putChunk(out, "IEND", {});
    return out;
}

}  // namespace vornal
