// The picture files: every BMP form against the pixels it must give, JPEG forms against
// the picture they were made from, refusals, and the BMP that save files hold.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "player/media/PictureFiles.h"
#include "tests/media/JpegWriter.h"

namespace vornal::test {
namespace {

namespace fs = std::filesystem;

fs::path fixtures() {
    return fs::path(VORNAL_SOURCE_DIR) / "tests/media/fixtures";
}

std::vector<Byte> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The largest difference of one colour channel between two pictures of the same size.
int worstChannel(const Bitmap& a, const Bitmap& b) {
    int worst = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        for (int shift : {0, 8, 16}) {
            const int d = static_cast<int>((a.pixels[i] >> shift) & 0xFF) -
                          static_cast<int>((b.pixels[i] >> shift) & 0xFF);
            worst = std::max(worst, std::abs(d));
        }
    }
    return worst;
}

Bitmap fromRgb(const std::vector<Byte>& rgb, int width, int height) {
    Bitmap b{width, height, {}};
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
        b.pixels.push_back(std::uint32_t{rgb[i]} << 16 | std::uint32_t{rgb[i + 1]} << 8 |
                           rgb[i + 2]);
    return b;
}

TEST(Pictures, EveryBmpFormDecodesToItsPixels) {
    // 16-bit forms keep 5 or 6 bits a channel; how they are widened to 8 is the reader's.
    const std::vector<std::pair<std::string, int>> forms = {
        {"pal1", 0},         {"pal4", 0},      {"pal8", 0},          {"pal8_topdown", 0},
        {"pal8_os2", 0},     {"rle4", 0},      {"rle8", 0},          {"rgb555", 8},
        {"rgb565", 8},       {"rgb24", 0},     {"rgb24_topdown", 0}, {"rgb32", 0},
        {"rgb32_fields", 0}, {"argb32_v5", 0},
    };
    const PictureFiles files;
    for (const auto& [name, tolerance] : forms) {
        SCOPED_TRACE(name);
        const Bitmap picture =
            files.decode(readFile(fixtures() / (name + ".bmp")), PictureFormat::Bmp);
        ASSERT_EQ(picture.width, 7);
        ASSERT_EQ(picture.height, 5);
        EXPECT_LE(worstChannel(picture, fromRgb(readFile(fixtures() / (name + ".rgb")), 7, 5)),
                  tolerance);
    }
}

TEST(Pictures, JpegFormsDecodeCloseToTheirSource) {
    struct Form {
        std::string name;
        JpegForm form;
    };
    const std::vector<Form> forms = {
        {"baseline 4:2:0", {}},
        {"baseline 4:4:4", {.subsampled = false}},
        {"progressive 4:2:0", {.progressive = true}},
        {"progressive 4:4:4", {.progressive = true, .subsampled = false}},
        {"grayscale", {.gray = true}},
    };
    const Bitmap source = smoothPicture(61, 43);  // not whole blocks either way
    Bitmap gray = source;
    for (std::uint32_t& p : gray.pixels) {
        const double y = 0.299 * (p >> 16) + 0.587 * ((p >> 8) & 0xFF) + 0.114 * (p & 0xFF);
        const auto v = static_cast<std::uint32_t>(y + 0.5);
        p = v << 16 | v << 8 | v;
    }
    const PictureFiles files;
    for (const Form& f : forms) {
        SCOPED_TRACE(f.name);
        const Bitmap picture = files.decode(encodeJpeg(source, f.form), PictureFormat::Jpeg);
        ASSERT_EQ(picture.width, 61);
        ASSERT_EQ(picture.height, 43);
        // Quality 95 on a smooth picture: a few levels off at most.
        EXPECT_LE(worstChannel(picture, f.form.gray ? gray : source), 6);
    }
}

// The header's width and height (big-endian, after the SOF0 or SOF2 marker's length and
// precision) replaced, the rest left as it was.
std::vector<Byte> withDeclaredSize(std::vector<Byte> jpeg, int width, int height) {
    for (std::size_t i = 0; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = static_cast<Byte>(height >> 8);
            jpeg[i + 6] = static_cast<Byte>(height);
            jpeg[i + 7] = static_cast<Byte>(width >> 8);
            jpeg[i + 8] = static_cast<Byte>(width);
            break;
        }
    }
    return jpeg;
}

TEST(Pictures, DamagedAndOversizedPicturesAreRefused) {
    const std::vector<Byte> jpeg = encodeJpeg(smoothPicture(16, 16), {});
    std::vector<std::pair<std::string, std::vector<Byte>>> jpegs = {
        {"empty", {}},
        {"not a JPEG", {'G', 'I', 'F', '8', '9', 'a'}},
        {"start of image, then noise", {0xFF, 0xD8, 0x12, 0x34, 0x56, 0x78}},
        {"header cut short", std::vector<Byte>(jpeg.begin(), jpeg.begin() + 100)},
        {"16385 wide", withDeclaredSize(jpeg, 16385, 16)},
        {"9000 x 8000", withDeclaredSize(jpeg, 9000, 8000)},
        {"0 high", withDeclaredSize(jpeg, 16, 0)},
    };
    const PictureFiles files;
    for (const auto& [name, data] : jpegs)
        EXPECT_THROW(files.decode(data, PictureFormat::Jpeg), PictureError) << name;
    int bmps = 0;
    for (const auto& entry : fs::directory_iterator(fixtures())) {
        if (!entry.path().filename().string().starts_with("bad_")) continue;
        ++bmps;
        EXPECT_THROW(files.decode(readFile(entry.path()), PictureFormat::Bmp), PictureError)
            << entry.path().filename();
    }
    EXPECT_EQ(bmps, 5);
    // Not sniffed: a JPEG named .bmp is no bitmap.
    EXPECT_THROW(files.decode(jpeg, PictureFormat::Bmp), PictureError);
    // Limits are the codec's own: within them the same file decodes.
    EXPECT_THROW(PictureFiles({.maxSide = 15}).decode(jpeg, PictureFormat::Jpeg), PictureError);
    EXPECT_THROW(PictureFiles({.maxPixels = 255}).decode(jpeg, PictureFormat::Jpeg), PictureError);
    EXPECT_EQ(
        PictureFiles({.maxSide = 16, .maxPixels = 256}).decode(jpeg, PictureFormat::Jpeg).width,
        16);
}

TEST(Pictures, SavedBitmapsAre24BitBottomUpAndReadBackTheSame) {
    for (const auto& [width, height] : {std::pair{7, 5}, {1, 1}, {270, 183}}) {
        Bitmap picture = smoothPicture(std::max(width, 2), std::max(height, 2));
        picture.width = width;
        picture.height = height;
        picture.pixels.resize(static_cast<std::size_t>(width * height));
        const PictureFiles files;
        const std::vector<Byte> bmp = files.encodeBmp(picture);
        ASSERT_GE(bmp.size(), 54u);
        EXPECT_EQ(bmp[0], 'B');
        EXPECT_EQ(bmp[1], 'M');
        EXPECT_EQ(bmp[28], 24);        // bits per pixel
        EXPECT_EQ(bmp[25] & 0x80, 0);  // a positive height: bottom-up
        const Bitmap back = files.decode(bmp, PictureFormat::Bmp);
        EXPECT_EQ(back.width, width);
        EXPECT_EQ(back.height, height);
        EXPECT_EQ(back.pixels, picture.pixels);
    }
    EXPECT_THROW(PictureFiles().encodeBmp(Bitmap{}), PictureError);
}

}  // namespace
}  // namespace vornal::test
