// What the end-to-end games (tests/games/media) cannot show: data files from an archive,
// failure A and the halt after it, two names that differ only in case, and the picture
// area's clipping at its limits. Pictures here are small texts read by a fake decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <sstream>

#include "player/core/DataFiles.h"
#include "tests/core/EngineFixture.h"
#include "tests/packer/TempFolder.h"

namespace vornal::test {
namespace {

using Lines = std::vector<std::string>;
using Files = std::vector<std::pair<std::string, std::string>>;

// "W H RRGGBB" is a W x H picture of one colour; anything else is damaged.
class TextPictures : public PictureCodec {
public:
    Bitmap decode(std::span<const Byte> data, PictureFormat) const override {
        std::istringstream in(std::string(data.begin(), data.end()));
        Bitmap b;
        std::string colour;
        if (!(in >> b.width >> b.height >> colour)) throw PictureError("damaged");
        b.pixels.assign(static_cast<std::size_t>(b.width * b.height),
                        static_cast<std::uint32_t>(std::stoul(colour, nullptr, 16)));
        return b;
    }
    std::vector<Byte> encodeBmp(const Bitmap&) const override { return {}; }
};

TEST(Media, FailuresHaltTheGameAfterThePass) {
    struct Case {
        std::string line;
        Files files;
        bool archive;
        std::string message;  // UTF-8; empty: the picture is drawn
    };
    const std::vector<Case> cases = {
        {"*PICTURE Room", {{"ROOM.BMP", "2 1 00ABCD"}}, true, ""},
        {"*PICTURE gone",
         {{"ROOM.BMP", "2 1 00ABCD"}},
         true,
         "データgone.bmpの読み込みに失敗しました"},
        {"*PICTURE broken",
         {{"broken.bmp", "no picture"}},
         false,
         "データbroken.bmpの読み込みに失敗しました"},
        // Larger than 256 MiB: refused without being read.
        {"*PICTURE huge", {{"huge.bmp", ""}}, false, "データhuge.bmpの読み込みに失敗しました"},
    };
    for (const Case& c : cases) {
        testing::TempFolder folder;
        TextPictures pictures;
        StubHost host;
        Engine engine(host, MediaServices{&pictures, nullptr, nullptr});
        const std::string script = c.line + "\r\nafter\r\n>again\r\nagain.\r\n";
        std::filesystem::path game = folder / "game.vns";
        if (c.archive) {
            Files entries = c.files;
            entries.insert(entries.begin(), {"*SCRIPT*", "*SCENE s\r\n" + script});
            writeArchive(game = folder / "game.vnp", entries);
        } else {
            for (const auto& [name, content] : c.files)
                folder.write(name, content);
            folder.write("game.vns", "*SCENE s\r\n" + script);
            if (c.line == "*PICTURE huge")
                std::filesystem::resize_file(folder / "huge.bmp", (256 << 20) + 1);
        }
        ASSERT_TRUE(engine.OpenScript(game)) << c.line;
        host.runIdle(engine);
        EXPECT_EQ(engine.Halted(), !c.message.empty()) << c.line;
        EXPECT_EQ(host.messages, c.message.empty() ? Lines{} : Lines{sj(c.message)}) << c.line;
        // The host is told once, after the box, with the box's text as the reason.
        const auto halted = std::find_if(host.calls.begin(), host.calls.end(),
                                         [](auto& call) { return call.starts_with("halted:"); });
        if (c.message.empty()) {
            EXPECT_EQ(halted, host.calls.end()) << c.line;
        } else {
            ASSERT_NE(halted, host.calls.end()) << c.line;
            EXPECT_EQ(*halted, "halted:" + sj(c.message));
            EXPECT_EQ(*std::prev(halted), "message:" + sj(c.message));
        }
        EXPECT_EQ(engine.Picture().hasBitmap(), c.message.empty()) << c.line;
        // The pass runs to its end; after a failure typed commands are only echoed.
        engine.ProcessInput("again");
        host.runIdle(engine);
        const Lines after =
            c.message.empty() ? Lines{"after", "> again", "again."} : Lines{"after", "> again"};
        EXPECT_EQ(host.appended(), after) << c.line;
    }
}

TEST(Media, TheFirstFailureOfAPassIsTheReasonTheGameStopped) {
    testing::TempFolder folder;
    folder.write("game.vns", "*SCENE s\r\n*PICTURE one\r\n*PICTURE two\r\nafter\r\n");
    StubHost host;
    Engine engine(host);
    ASSERT_TRUE(engine.OpenScript(folder / "game.vns"));
    host.runIdle(engine);
    // Both boxes show; the host hears of the stop once, for the first.
    EXPECT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(std::count_if(host.calls.begin(), host.calls.end(),
                            [](const std::string& call) { return call.starts_with("halted:"); }),
              1);
    EXPECT_NE(std::find(host.calls.begin(), host.calls.end(), "halted:" + host.messages[0]),
              host.calls.end());
    EXPECT_EQ(host.appended(), Lines{"after"});
}

TEST(Media, OfTwoNamesThatDifferInCaseTheExactOneElseTheFirst) {
    testing::TempFolder folder;
    for (const char* name : {"pic.bmp", "Pic.bmp", "snd/door.wav"})
        folder.write(name, "");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"pic.bmp", "pic.bmp"}, {"Pic.bmp", "Pic.bmp"},           {"PIC.BMP", "Pic.bmp"},
        {"pIc.bmp", "Pic.bmp"}, {"SND/Door.WAV", "snd/door.wav"}, {"snd/pic.bmp", ""},
    };
    for (const auto& [relative, expected] : cases) {
        const auto found = FindCaseBlind(folder.path(), relative);
        EXPECT_EQ(found ? found->lexically_relative(folder.path()).string() : "", expected)
            << relative;
    }
}

// The area as text, one letter a pixel: '.' for the new bitmap's white.
std::string rows(const Bitmap& b) {
    std::string out;
    for (int y = 0; y < b.height; ++y) {
        for (int x = 0; x < b.width; ++x)
            out += b.at(x, y) == PictureArea::kNewBitmapFill ? '.' : static_cast<char>(b.at(x, y));
        out += '/';
    }
    return out;
}

TEST(PictureArea, DrawingCopiesAndClips) {
    struct Draw {
        int width, height;
        char letter;
        std::int64_t x, y;
    };
    const std::vector<std::tuple<std::string, std::vector<Draw>, std::string>> cases = {
        {"offset", {{2, 2, 'a', 1, 1}}, "....../.aa.../.aa.../....../"},
        {"square over a background",
         {{6, 4, 'x', 0, 0}, {2, 2, 'y', 3, 1}},
         "xxxxxx/xxxyyx/xxxyyx/xxxxxx/"},
        {"negative", {{3, 3, 'b', -1, -2}}, "bb..../....../....../....../"},
        {"right edge", {{3, 1, 'c', 4, 3}}, "....../....../....../....cc/"},
        {"larger", {{10, 10, 'd', -2, -2}}, "dddddd/dddddd/dddddd/dddddd/"},
        {"overlap", {{3, 3, 'e', 0, 0}, {3, 3, 'f', 2, 1}}, "eee.../eefff./eefff./..fff./"},
        {"far outside",
         {{3, 3, 'g', INT32_MAX, 0},
          {3, 3, 'g', INT32_MIN, INT32_MIN},
          {3, 3, 'g', INT64_MAX - 1, INT64_MIN + 1}},
         "....../....../....../....../"},
    };
    for (const auto& [name, draws, expected] : cases) {
        vornal::PictureArea area;
        area.setAreaSize(6, 4);
        for (const Draw& d : draws) {
            area.draw(
                Bitmap{d.width, d.height,
                       std::vector<std::uint32_t>(static_cast<std::size_t>(d.width * d.height),
                                                  static_cast<std::uint32_t>(d.letter))},
                d.x, d.y);
        }
        EXPECT_EQ(rows(area.bitmap()), expected) << name;
    }
}

}  // namespace
}  // namespace vornal::test
