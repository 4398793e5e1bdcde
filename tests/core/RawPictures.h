// Pictures as raw pixels behind a tag, for the engine's tests: enough to see that the area
// travels through a file (the real BMP coding has tests of its own).
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "player/core/Media.h"

namespace vornal::test {

class RawPictures final : public PictureCodec {
public:
    Bitmap decode(std::span<const Byte> data, PictureFormat) const override {
        if (data.size() < 12 || std::memcmp(data.data(), "RAW:", 4) != 0)
            throw PictureError("not raw");
        Bitmap b;
        std::memcpy(&b.width, data.data() + 4, 4);
        std::memcpy(&b.height, data.data() + 8, 4);
        b.pixels.resize(static_cast<std::size_t>(b.width) * b.height);
        if (data.size() != 12 + b.pixels.size() * 4) throw PictureError("cut short");
        std::memcpy(b.pixels.data(), data.data() + 12, b.pixels.size() * 4);
        return b;
    }
    std::vector<Byte> encodeBmp(const Bitmap& b) const override {
        std::vector<Byte> out(12 + b.pixels.size() * 4);
        std::memcpy(out.data(), "RAW:", 4);
        std::memcpy(out.data() + 4, &b.width, 4);
        std::memcpy(out.data() + 8, &b.height, 4);
        std::memcpy(out.data() + 12, b.pixels.data(), b.pixels.size() * 4);
        return out;
    }
};

// A 2 x 1 picture of one colour, for *PICTURE to draw.
inline std::string rawPicture(std::uint32_t colour) {
    Bitmap b{2, 1, {colour, colour}};
    const std::vector<Byte> raw = RawPictures().encodeBmp(b);
    return std::string(raw.begin(), raw.end());
}

inline std::string redPicture() {
    return rawPicture(0xFF0000);
}

}  // namespace vornal::test
