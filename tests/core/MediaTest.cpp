// *PICTURE and *SE through the engine: getting data files from a folder or an archive,
// the two failures and the halt after them, positions, picture kinds, sound waits, and
// the picture area's composition. Data files are small texts read by fake media.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>

#include "codec/ArchiveWriter.h"
#include "tests/core/EngineFixture.h"
#include "tests/packer/TempFolder.h"

namespace vornal::test {
namespace {

using Lines = std::vector<std::string>;
using Files = std::vector<std::pair<std::string, std::string>>;

// "W H RRGGBB" is a W x H picture of one colour; anything else is damaged.
class TextPictures : public PictureCodec {
public:
    mutable std::vector<PictureFormat> formats;

    Bitmap decode(std::span<const Byte> data, PictureFormat format) const override {
        formats.push_back(format);
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

// "N" plays for N ms, "silent N" is heard by nobody but takes N ms, anything else is no WAV.
class TextSound : public SoundOutput {
public:
    Started start(std::span<const Byte> wav) override {
        std::istringstream in(std::string(wav.begin(), wav.end()));
        Started started;
        std::string word;
        in >> word;
        started.result = Started::Result::Playing;
        if (word == "silent") {
            started.result = Started::Result::Silent;
            in >> word;
        }
        try {
            started.length = std::chrono::milliseconds(std::stoi(word));
        } catch (const std::exception&) {
            started.result = Started::Result::Undecodable;
        }
        return started;
    }
    void stop() override {}
};

struct MediaGame {
    testing::TempFolder folder;
    TextPictures pictures;
    TextSound sound;
    StubHost host;
    Engine engine{host, MediaServices{&pictures, &sound, nullptr}};

    // Plays `lines` as the opening of a scene with a command "again" that runs "again.".
    void play(const Lines& lines, const Files& files, bool archive = false) {
        std::string script = "*SCENE s\r\n";
        for (const auto& line : lines)
            script += line + "\r\n";
        script += "after\r\n>again\r\nagain.\r\n*SCENEEND\r\n";
        Files entries = files;
        std::filesystem::path game;
        if (archive) {
            entries.insert(entries.begin(), {"*SCRIPT*", script});
            game = folder / "game.vnp";
            FileStream out(game, FileStream::Mode::create);
            ArchiveWriter writer(out, static_cast<std::int32_t>(entries.size()));
            for (const auto& [entry, content] : entries) {
                MemoryStream source(std::vector<Byte>(content.begin(), content.end()));
                writer.addEntry(entry, source, static_cast<std::int32_t>(content.size()));
            }
            writer.finish();
        } else {
            for (const auto& [name, content] : files)
                folder.write(name, content);
            game = folder.write("game.vns", script);
        }
        host.calls.clear();
        ASSERT_TRUE(engine.OpenScript(game));
        host.runIdle(engine);
    }
    // The engine's calls that concern media: changes, waits, messages.
    Lines mediaCalls() const {
        Lines out;
        for (const std::string& call : host.calls) {
            if (call == "picture" || call.starts_with("sound:") || call.starts_with("message:"))
                out.push_back(call);
        }
        return out;
    }
    std::uint32_t pixel(int x, int y) const { return engine.Picture().bitmap().at(x, y); }
    std::string path(const std::string& name) const { return (folder / name).string(); }
};

struct LookupCase {
    std::string line;
    Files files;
    std::string expected;  // the top left pixel ("pixel:RRGGBB") or the media calls
};

TEST(Media, DataFilesInTheGamesFolder) {
    const Files both = {{"Pic.bmp", "1 1 000002"}, {"pic.bmp", "1 1 000003"}};
    const std::vector<LookupCase> cases = {
        {"*PICTURE room", {{"room.bmp", "1 1 000001"}}, "pixel:000001"},
        {"*PICTURE ROOM.BMP", {{"room.bmp", "1 1 000001"}}, "pixel:000001"},
        {"*PICTURE img\\room.bmp", {{"room.bmp", "1 1 000001"}}, "pixel:000001"},
        {"*PICTURE pic", both, "pixel:000003"},  // the exact name
        {"*PICTURE PIC", both, "pixel:000002"},  // else the first in byte order
        {"*SE SND\\Door", {{"snd/door.wav", "500"}}, "sound:500"},
        {"*SE sub\\Snd\\DOOR.wav", {{"sub/snd/door.wav", "20"}}, "sound:20"},
        {"*SE door",
         {{"snd/door.wav", "500"}},
         "message:" + sj("ファイル") + "%door.wav" + sj("が開けません")},
        {"*PICTURE img\\room.bmp",
         {{"img/room.bmp", "1 1 000001"}},
         "message:" + sj("ファイル") + "%room.bmp" + sj("が開けません")},
    };
    for (const LookupCase& c : cases) {
        MediaGame game;
        game.play({c.line}, c.files);
        std::string expected = c.expected;
        if (const auto at = expected.find('%'); at != std::string::npos)
            expected.replace(at, 1, game.path(""));
        std::string seen = game.mediaCalls().empty() ? "" : game.mediaCalls().front();
        if (seen == "picture") {
            char text[16];
            std::snprintf(text, sizeof text, "pixel:%06X", game.pixel(0, 0));
            seen = text;
        }
        EXPECT_EQ(seen, expected) << c.line;
    }
}

struct FailureCase {
    std::string line;
    Files files;
    bool archive;
    std::string message;  // Shift-JIS; "%" stands for the game's folder
};

TEST(Media, AFileThatFailsHaltsTheGameAfterThePass) {
    const std::vector<FailureCase> cases = {
        {"*PICTURE gone", {}, false, "ファイル%gone.bmpが開けません"},
        {"*SE snd\\gone", {}, false, "ファイル%snd/gone.wavが開けません"},
        {"*PICTURE broken",
         {{"broken.bmp", "no picture"}},
         false,
         "データbroken.bmpの読み込みに失敗しました"},
        {"*PICTURE huge", {}, false, "データhuge.bmpの読み込みに失敗しました"},
        {"*PICTURE gone",
         {{"ROOM.BMP", "1 1 000001"}},
         true,
         "データgone.bmpの読み込みに失敗しました"},
    };
    for (const FailureCase& c : cases) {
        MediaGame game;
        // A data file too large to hold is refused without being read.
        if (c.line == "*PICTURE huge") {
            std::filesystem::resize_file(game.folder.write("huge.bmp", ""), (256 << 20) + 1);
        }
        game.play({c.line, "*PICTURE room"}, c.files, c.archive);
        std::string message = sj(c.message);
        if (const auto at = message.find('%'); at != std::string::npos)
            message.replace(at, 1, game.path(""));
        EXPECT_TRUE(game.engine.Halted()) << c.line;
        // The box comes first, then the pass runs on to its end; the picture after the
        // failure is still looked for and fails too in folder mode.
        ASSERT_FALSE(game.host.messages.empty()) << c.line;
        EXPECT_EQ(game.host.messages.front(), message) << c.line;
        EXPECT_EQ(game.host.appended(), Lines{"after"}) << c.line;
        EXPECT_EQ(game.host.messages.size(), c.archive ? 1u : 2u) << c.line;
        // After the pass nothing runs: a typed command is only echoed.
        game.host.calls.clear();
        game.engine.ProcessInput("again");
        game.host.runIdle(game.engine);
        EXPECT_EQ(game.host.appended(), Lines{"> again"}) << c.line;
    }
}

TEST(Media, ArchiveEntriesByUpperCasedName) {
    MediaGame game;
    game.play({"*PICTURE Room", "*SE snd\\door"},
              {{"ROOM.BMP", "2 1 00ABCD"}, {"SND\\DOOR.WAV", "40"}}, true);
    EXPECT_EQ(game.mediaCalls(), (Lines{"picture", "sound:40"}));
    EXPECT_EQ(game.pixel(1, 0), 0x00ABCDu);
    EXPECT_FALSE(game.engine.Halted());
}

TEST(Media, PicturePositions) {
    struct Case {
        std::string line;
        int x, y;
    };
    const std::vector<Case> cases = {
        {"*PICTURE dot 100 40", 100, 40}, {"*PICTURE dot F(7) F(9)", 7, 9},
        {"*PICTURE dot 100", 0, 0},     // three fields: no position
        {"*PICTURE dot 1 2 3", 0, 0},   // five fields: no position either
        {"*PICTURE dot x 12", -1, 12},  // an operand of no known form is -1: clipped
    };
    for (const Case& c : cases) {
        MediaGame game;
        game.play({c.line}, {{"dot.bmp", "2 2 0000FF"}});
        const Bitmap& area = game.engine.Picture().bitmap();
        ASSERT_EQ(area.width, 270) << c.line;
        int blue = 0;
        for (const std::uint32_t p : area.pixels)
            blue += p == 0xFF;
        const int visible = (c.x < 0 ? 1 : 2) * 2;
        EXPECT_EQ(blue, visible) << c.line;
        EXPECT_EQ(game.pixel(std::max(c.x, 0), c.y), 0xFFu) << c.line;
    }
}

TEST(Media, PictureKindByExtension) {
    struct Case {
        std::string name;
        std::optional<PictureFormat> format;
    };
    const std::vector<Case> cases = {
        {"room.jpg", PictureFormat::Jpeg}, {"room.JPEG", PictureFormat::Jpeg},
        {"room.Bmp", PictureFormat::Bmp},  {"room", PictureFormat::Bmp},
        {"room.gif", std::nullopt},        {"room.", std::nullopt}};
    for (const Case& c : cases) {
        MediaGame game;
        const std::string file = c.name == "room" ? "room.bmp" : c.name;
        game.play({"*PICTURE " + c.name}, {{file, "1 1 FFFFFF"}});
        if (c.format) {
            EXPECT_EQ(game.pictures.formats, std::vector<PictureFormat>{*c.format}) << c.name;
            EXPECT_EQ(game.mediaCalls(), Lines{"picture"}) << c.name;
        } else {
            // Another kind of file: nothing decoded, drawn or said.
            EXPECT_TRUE(game.pictures.formats.empty()) << c.name;
            EXPECT_TRUE(game.mediaCalls().empty()) << c.name;
            EXPECT_FALSE(game.engine.Picture().hasBitmap()) << c.name;
        }
    }
}

TEST(Media, SoundEffectsWaitTheirLengthAndBadOnesAreToldOncePerGame) {
    MediaGame game;
    const Files files = {{"bell.wav", "500"}, {"hum.wav", "silent 300"}, {"bad.wav", "RIFF"}};
    const Lines lines = {"*SE bell", "*SE hum", "*SE bad", "*SE bad", "*SE bell"};
    const Lines expected = {"sound:500", "sound:300",
                            "message:" + sj("効果音bad.wavを再生できません"), "sound:500"};
    game.play(lines, files);
    EXPECT_EQ(game.mediaCalls(), expected);
    EXPECT_FALSE(game.engine.Halted());
    EXPECT_EQ(game.host.appended(), Lines{"after"});
    // Another game: told again.
    game.play(lines, files);
    EXPECT_EQ(game.mediaCalls(), expected);
}

TEST(Media, TheBitmapIsMadeAtTheAreasSizeAndKeepsItThroughScreen) {
    MediaGame game;
    game.play({"*SCREEN 40 30", "*PICTURE dot 39 29", "*SCREEN 300 200", "*PICTURE dot 1 1"},
              {{"dot.bmp", "2 2 000001"}});
    const Bitmap& area = game.engine.Picture().bitmap();
    EXPECT_EQ(area.width, 40);
    EXPECT_EQ(area.height, 30);
    EXPECT_EQ(area.at(0, 0), PictureArea::kNewBitmapFill);
    EXPECT_EQ(area.at(39, 29), 1u);
    EXPECT_EQ(area.at(2, 2), 1u);
    EXPECT_EQ(game.engine.Picture().areaWidth(), 300);
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

Bitmap plain(int width, int height, char letter) {
    return Bitmap{width, height,
                  std::vector<std::uint32_t>(static_cast<std::size_t>(width * height),
                                             static_cast<std::uint32_t>(letter))};
}

TEST(PictureArea, DrawingCopiesAndClips) {
    struct Draw {
        int width, height;
        char letter;
        std::int64_t x, y;
    };
    struct Case {
        std::string name;
        std::vector<Draw> draws;
        std::string expected;  // 6 x 4
    };
    const std::vector<Case> cases = {
        {"offset", {{2, 2, 'a', 1, 1}}, "....../.aa.../.aa.../....../"},
        {"negative", {{3, 3, 'b', -1, -2}}, "bb..../....../....../....../"},
        {"right edge", {{3, 1, 'c', 4, 3}}, "....../....../....../....cc/"},
        {"larger", {{10, 10, 'd', -2, -2}}, "dddddd/dddddd/dddddd/dddddd/"},
        {"overlap", {{3, 3, 'e', 0, 0}, {3, 3, 'f', 2, 1}}, "eee.../eefff./eefff./..fff./"},
        {"far outside",
         {{3, 3, 'g', INT32_MAX, 0},
          {3, 3, 'g', INT32_MIN, INT32_MIN},
          {3, 3, 'g', INT64_MAX - 1, INT64_MIN + 1},
          {3, 3, 'g', 0, 1LL << 40}},
         "....../....../....../....../"},
        {"empty picture", {{0, 0, 'h', 0, 0}}, "....../....../....../....../"},
    };
    for (const Case& c : cases) {
        vornal::PictureArea area;
        area.setAreaSize(6, 4);
        for (const Draw& d : c.draws)
            area.draw(plain(d.width, d.height, d.letter), d.x, d.y);
        EXPECT_EQ(rows(area.bitmap()), c.expected) << c.name;
    }
}

TEST(PictureArea, ASmallPictureChangesOnlyItsSquare) {
    vornal::PictureArea area;
    Bitmap background = plain(270, 183, 'x');
    for (std::size_t i = 0; i < background.pixels.size(); ++i)
        background.pixels[i] = static_cast<std::uint32_t>(i);
    area.draw(background, 0, 0);
    area.draw(plain(50, 50, 'y'), 100, 40);
    const Bitmap& b = area.bitmap();
    int changed = 0;
    for (int y = 0; y < b.height; ++y) {
        for (int x = 0; x < b.width; ++x) {
            const bool inside = x >= 100 && x < 150 && y >= 40 && y < 90;
            const std::uint32_t before = background.at(x, y);
            changed += b.at(x, y) != before;
            EXPECT_EQ(b.at(x, y), inside ? 'y' : before) << x << "," << y;
        }
    }
    EXPECT_EQ(changed, 2500);
}

TEST(PictureArea, BeforeAnyDrawingItShowsTheBackgroundAtItsSize) {
    vornal::PictureArea area;
    area.setAreaSize(3, 2);
    const Bitmap shown = area.shown();
    EXPECT_FALSE(area.hasBitmap());
    EXPECT_EQ(shown.width * shown.height, 6);
    EXPECT_EQ(shown.pixels, std::vector<std::uint32_t>(6, PictureArea::kBackground));
    // A malformed bitmap is not taken.
    area.replace(Bitmap{4, 4, {1, 2}});
    EXPECT_FALSE(area.hasBitmap());
}

}  // namespace
}  // namespace vornal::test
