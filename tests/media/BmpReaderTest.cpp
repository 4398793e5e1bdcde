// The web build's picture files held against the desktop's (Qt): the bitmap reader refuses
// what Qt refuses and gives the same pixels for every fixture, every game's bitmap and
// hand-made run-length cases; the bitmap writer writes Qt's bytes; Qt reads back the PNG.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "player/media/BmpReader.h"
#include "player/media/PictureWriters.h"
#include "player/media/QtBitmap.h"

namespace vornal::test {
namespace {

namespace fs = std::filesystem;

std::vector<Byte> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Both refuse, or both decode to the same pixels.
void expectSameAsQt(const std::vector<Byte>& bmp, const std::string& name) {
    std::optional<Bitmap> qt;
    std::optional<Bitmap> ours;
    try {
        qt = decodeBmp(bmp, {});
    } catch (const PictureError&) {
    }
    try {
        ours = readBmp(bmp, {});
    } catch (const PictureError&) {
    }
    ASSERT_EQ(ours.has_value(), qt.has_value())
        << name << (qt ? ": Qt reads it" : ": Qt refuses it");
    if (!qt) return;
    EXPECT_EQ(ours->width, qt->width) << name;
    EXPECT_EQ(ours->height, qt->height) << name;
    EXPECT_EQ(ours->pixels, qt->pixels) << name;
}

TEST(BmpReader, EveryBitmapOfTheTreeAsQtReadsIt) {
    const fs::path root = VORNAL_SOURCE_DIR;
    int files = 0;
    for (const char* folder : {"tests/media/fixtures", "tests/games/media", "games/demo",
                               "fuzz/corpus/picture_decode"}) {
        for (const auto& entry : fs::directory_iterator(root / folder)) {
            if (entry.path().extension() != ".bmp") continue;
            expectSameAsQt(fileBytes(entry.path()), entry.path().string());
            ++files;
        }
    }
    EXPECT_GE(files, 40);
}

// A 5 x 3 bitmap of 8 or 4 bits, 16 colours, with `pixels` as its compressed data.
std::vector<Byte> rleBitmap(int bits, std::vector<Byte> pixels, int height = 3) {
    std::vector<Byte> out = {'B', 'M'};
    const auto put = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<Byte>(value >> (8 * i)));
    };
    const std::uint32_t offset = 14 + 40 + 16 * 4;
    put(offset + static_cast<std::uint32_t>(pixels.size()), 4);
    put(0, 4);
    put(offset, 4);
    put(40, 4);
    put(5, 4);
    put(static_cast<std::uint32_t>(height), 4);
    put(1, 2);
    put(static_cast<std::uint32_t>(bits), 2);
    put(bits == 8 ? 1 : 2, 4);
    put(static_cast<std::uint32_t>(pixels.size()), 4);
    put(2835, 4);
    put(2835, 4);
    put(16, 4);
    put(0, 4);
    for (std::uint32_t i = 0; i < 16; ++i)
        put(i * 0x0F0E0D, 4);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// Run-length data that covers every pixel (pixels it leaves out hold whatever Qt's memory
// held) in the ways the format allows and a few it does not.
TEST(BmpReader, RunLengthEdgesAsQtReadsThem) {
    const std::vector<std::pair<std::string, std::vector<Byte>>> rle8 = {
        {"runs and ends of line", {5, 1, 0, 0, 2, 2, 3, 3, 0, 0, 5, 4, 0, 1}},
        {"a run longer than the bottom row is cut", {9, 1, 0, 0, 5, 2, 0, 0, 5, 3, 0, 1}},
        // Above the bottom row a long run goes on into the row below it.
        {"a run past the end of an upper row", {5, 1, 0, 0, 5, 2, 0, 0, 8, 3, 0, 1}},
        {"absolute runs with padding",
         {0, 3, 1, 2, 3, 0, 2, 4, 0, 0, 0, 5, 5, 6, 7, 8, 9, 0, 0, 0, 5, 10, 0, 1}},
        // From the top row one run fills all three; a jump beyond the right edge stops at
        // the last column.
        {"a jump", {0, 0, 0, 0, 21, 3, 0, 2, 1, 0, 1, 9, 0, 1}},
        {"no end of bitmap", {5, 1, 0, 0, 5, 2, 0, 0, 5, 3}},
        {"indices beyond the palette", {5, 200, 0, 0, 5, 17, 0, 0, 5, 255, 0, 1}},
        {"absolute run cut short", {5, 1, 0, 0, 5, 2, 0, 0, 0, 5, 1}},
    };
    for (const auto& [name, data] : rle8)
        expectSameAsQt(rleBitmap(8, data), "RLE8: " + name);
    const std::vector<std::pair<std::string, std::vector<Byte>>> rle4 = {
        {"runs", {5, 0x12, 0, 0, 5, 0x34, 0, 0, 5, 0x56, 0, 1}},
        {"absolute runs",
         {0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 0, 3, 0x78, 0x90, 2, 0xAB, 0, 0, 6, 0xCD, 0, 1}},
        {"a run past the end of an upper row", {5, 0x12, 0, 0, 7, 0x34, 0, 0, 5, 0x56, 0, 1}},
    };
    for (const auto& [name, data] : rle4)
        expectSameAsQt(rleBitmap(4, data), "RLE4: " + name);
}

std::vector<Bitmap> samplePictures() {
    std::vector<Bitmap> pictures;
    for (const auto& [width, height] : {std::pair{1, 1}, {7, 5}, {8, 3}, {270, 183}}) {
        Bitmap b{width, height, {}};
        for (int i = 0; i < width * height; ++i)
            b.pixels.push_back((static_cast<std::uint32_t>(i) * 0x10305u + 0x0A0B0Cu) & 0xFFFFFF);
        pictures.push_back(b);
    }
    return pictures;
}

TEST(PictureWriters, BitmapsAreQtsBytesAndPngsReadBack) {
    for (const Bitmap& picture : samplePictures()) {
        const std::string size =
            std::to_string(picture.width) + "x" + std::to_string(picture.height);
        EXPECT_EQ(writeBmpFile(picture), encodePictureFile(picture, PictureFileFormat::Bmp))
            << size;
        const std::vector<Byte> png = writePngFile(picture);
        QImage image;
        ASSERT_TRUE(image.loadFromData(png.data(), static_cast<int>(png.size()), "PNG")) << size;
        const Bitmap back = fromQImage(image);
        EXPECT_EQ(back.width, picture.width);
        EXPECT_EQ(back.pixels, picture.pixels) << size;
    }
    EXPECT_THROW(writeBmpFile(Bitmap{}), PictureError);
    EXPECT_THROW(writePngFile(Bitmap{}), PictureError);
}

}  // namespace
}  // namespace vornal::test
