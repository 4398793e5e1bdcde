// The picture files against the fixtures of make_fixtures.py: every BMP form and JPEG form
// against its pixels, refusals, and the BMP that save files hold.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "player/media/PictureFiles.h"

namespace vornal::test {
namespace {

namespace fs = std::filesystem;

const fs::path kFixtures = fs::path(VORNAL_SOURCE_DIR) / "tests/media/fixtures";

std::vector<Byte> fixture(const std::string& name) {
    std::ifstream in(kFixtures / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The largest difference of one colour channel from the raw RGB pixels `rgb`.
int worstChannel(const Bitmap& picture, const std::vector<Byte>& rgb) {
    if (rgb.size() != picture.pixels.size() * 3) return 256;
    int worst = 0;
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        const auto channel = static_cast<int>(picture.pixels[i / 3] >> (16 - 8 * (i % 3)) & 0xFF);
        worst = std::max(worst, std::abs(channel - rgb[i]));
    }
    return worst;
}

TEST(Pictures, EveryFormDecodesToItsPixels) {
    // 16-bit BMPs keep 5 or 6 bits a channel: how they widen to 8 is the reader's. JPEG
    // decoders differ in their inverse DCT and upsampling by a few levels.
    const std::vector<std::tuple<std::string, PictureFormat, int>> forms = {
        {"pal1.bmp", PictureFormat::Bmp, 0},
        {"pal4.bmp", PictureFormat::Bmp, 0},
        {"pal8.bmp", PictureFormat::Bmp, 0},
        {"pal8_topdown.bmp", PictureFormat::Bmp, 0},
        {"pal8_os2.bmp", PictureFormat::Bmp, 0},
        {"rle4.bmp", PictureFormat::Bmp, 0},
        {"rle8.bmp", PictureFormat::Bmp, 0},
        {"rgb555.bmp", PictureFormat::Bmp, 8},
        {"rgb565.bmp", PictureFormat::Bmp, 8},
        {"rgb24.bmp", PictureFormat::Bmp, 0},
        {"rgb24_topdown.bmp", PictureFormat::Bmp, 0},
        {"rgb32.bmp", PictureFormat::Bmp, 0},
        {"rgb32_fields.bmp", PictureFormat::Bmp, 0},
        {"argb32_v5.bmp", PictureFormat::Bmp, 0},
        {"jpeg_baseline.jpg", PictureFormat::Jpeg, 4},
        {"jpeg_444.jpg", PictureFormat::Jpeg, 4},
        {"jpeg_progressive.jpg", PictureFormat::Jpeg, 4},
        {"jpeg_gray.jpg", PictureFormat::Jpeg, 4},
    };
    const PictureFiles files;
    for (const auto& [name, format, tolerance] : forms) {
        const Bitmap picture = files.decode(fixture(name), format);
        const bool bmp = format == PictureFormat::Bmp;
        EXPECT_EQ(picture.width, bmp ? 7 : 24) << name;
        EXPECT_EQ(picture.height, bmp ? 5 : 16) << name;
        const std::string rgb = name.substr(0, name.find('.')) + ".rgb";
        EXPECT_LE(worstChannel(picture, fixture(rgb)), tolerance) << name;
    }
}

// The JPEG with its frame header's height and width (big-endian, after the SOF marker's
// length and precision) replaced.
std::vector<Byte> declaring(int width, int height) {
    std::vector<Byte> jpeg = fixture("jpeg_baseline.jpg");
    for (std::size_t i = 0; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            const Byte size[] = {static_cast<Byte>(height >> 8), static_cast<Byte>(height),
                                 static_cast<Byte>(width >> 8), static_cast<Byte>(width)};
            std::copy(std::begin(size), std::end(size), jpeg.begin() + static_cast<long>(i) + 5);
            break;
        }
    }
    return jpeg;
}

TEST(Pictures, DamagedAndOversizedPicturesAreRefused) {
    const std::vector<Byte> jpeg = fixture("jpeg_baseline.jpg");
    const std::vector<std::pair<std::string, std::vector<Byte>>> jpegs = {
        {"empty", {}},
        {"start of image, then noise", {0xFF, 0xD8, 0x12, 0x34, 0x56, 0x78}},
        {"header cut short", {jpeg.begin(), jpeg.begin() + 100}},
        {"16385 wide", declaring(16385, 16)},
        {"9000 x 8000, 72 Mpixels", declaring(9000, 8000)},
        {"a BMP", fixture("rgb24.bmp")},
    };
    const PictureFiles files;
    for (const auto& [name, data] : jpegs)
        EXPECT_THROW(files.decode(data, PictureFormat::Jpeg), PictureError) << name;
    std::vector<std::string> bmps = {"jpeg_baseline.jpg"};  // not sniffed: no bitmap
    for (const auto& entry : fs::directory_iterator(kFixtures)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("bad_") && name.ends_with(".bmp")) bmps.push_back(name);
    }
    EXPECT_EQ(bmps.size(), 6u);
    for (const std::string& name : bmps)
        EXPECT_THROW(files.decode(fixture(name), PictureFormat::Bmp), PictureError) << name;
    // The limits are the codec's: the same file within them decodes.
    EXPECT_THROW(PictureFiles({.maxSide = 23}).decode(jpeg, PictureFormat::Jpeg), PictureError);
    EXPECT_THROW(PictureFiles({.maxPixels = 383}).decode(jpeg, PictureFormat::Jpeg), PictureError);
    EXPECT_EQ(
        PictureFiles({.maxSide = 24, .maxPixels = 384}).decode(jpeg, PictureFormat::Jpeg).width,
        24);
}

TEST(Pictures, SavedBitmapsAre24BitBottomUpAndReadBackTheSame) {
    const PictureFiles files;
    for (const std::string name : {"rgb24_topdown.bmp", "pal1.bmp", "jpeg_progressive.jpg"}) {
        const Bitmap picture = files.decode(
            fixture(name), name.ends_with(".jpg") ? PictureFormat::Jpeg : PictureFormat::Bmp);
        const std::vector<Byte> bmp = files.encodeBmp(picture);
        ASSERT_GE(bmp.size(), 54u);
        EXPECT_EQ(std::string(bmp.begin(), bmp.begin() + 2), "BM");
        EXPECT_EQ(bmp[28], 24) << name;        // bits per pixel
        EXPECT_EQ(bmp[25] & 0x80, 0) << name;  // a positive height: bottom-up
        const Bitmap back = files.decode(bmp, PictureFormat::Bmp);
        EXPECT_EQ(back.width, picture.width);
        EXPECT_EQ(back.pixels, picture.pixels) << name;
    }
    EXPECT_THROW(files.encodeBmp(Bitmap{}), PictureError);
}

}  // namespace
}  // namespace vornal::test
