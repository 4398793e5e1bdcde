// *SAVE and *LOAD played through the engine, with save files in a folder of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "codec/Stream.h"
#include "player/music/Music.h"
#include "tests/codec/SmallDisk.h"
#include "tests/core/EngineFixture.h"
#include "tests/core/RawPictures.h"
#include "tests/packer/TempFolder.h"

namespace vornal::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

constexpr std::string_view kScript = R"(*ITEM
key 1
lamp 0
*ITEMEND
*SCENE hall
hall
>sub
*GOSUB SUB
back in hall
*END
*LABEL SUB
*F(2)=22
*SAVE 2
in sub
*END
*SCENEEND
*SCENE cellar
*LABEL CELLAR
cellar
>look
dark
*END
*SCENEEND
*SCENE GLOBAL
>save
*SAVE 1
*END
>saveat
*SAVE F(20)
*END
>load
*LOAD 1
loaded
*END
>loadsub
*GOSUB LOADER
after the loader
*END
*LABEL LOADER
*LOAD 2
*END
>drop
*DELITEM lamp
*END
>change
*F(1)=100
*F(512)=7
*DELITEM key
*GETITEM lamp
*PICTURE red.bmp 1 0
*GOTO CELLAR
*END
*SCENEEND
)";

class SaveLoad : public ::testing::Test {
protected:
    void SetUp() override {
        folder.write("red.bmp", redPicture());
        game.OpenScriptText(kScript, folder / "story.vns");
        host.runIdle(game);
    }
    Lines type(std::string_view command) {
        host.calls.clear();
        host.messages.clear();
        game.ProcessInput(command);
        host.runIdle(game);
        return host.appended();
    }
    std::string fileBytes(const std::string& name) {
        const std::vector<Byte> b = readWholeFile(folder / name);
        return std::string(b.begin(), b.end());
    }

    testing::TempFolder folder;
    RawPictures pictures;
    Music music;
    StubHost host;
    Engine game{host, MediaServices{&pictures, nullptr, &music}};
};

TEST_F(SaveLoad, ChangesAreUndoneByALoad) {
    type("save");
    ASSERT_TRUE(fs::exists(folder / "story1.sav"));
    EXPECT_FALSE(game.Picture().hasBitmap());
    type("change");
    EXPECT_EQ(type("look"), (Lines{"> look", "dark"}));  // in the cellar now
    EXPECT_TRUE(game.Picture().hasBitmap());

    type("load");
    EXPECT_EQ(game.Messages(), std::deque<std::string>{"loaded"});  // emptied first
    EXPECT_EQ(game.FlagValue(1), 1);
    EXPECT_EQ(game.FlagValue(512), 7);  // not saved: keeps its changed value
    EXPECT_EQ(game.ItemValue("key"), 1);
    EXPECT_EQ(game.ItemValue("lamp"), 0);
    // Back in the hall, whose commands work again; the picture is what the area showed.
    EXPECT_EQ(type("look"), Lines{"> look"});
    const Bitmap& picture = game.Picture().bitmap();
    ASSERT_EQ(picture.width, PictureArea::kDefaultWidth);
    EXPECT_EQ(picture.at(1, 0), PictureArea::kBackground);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(SaveLoad, LoadInsideASubroutineFollowsTheLoadedStack) {
    type("sub");  // saves slot 2 from inside SUB
    type("change");
    // The *END after the load returns through the saved call, not to the loader's caller.
    type("loadsub");
    EXPECT_EQ(game.Messages(), std::deque<std::string>{"back in hall"});
    EXPECT_EQ(game.FlagValue(2), 22);
    EXPECT_EQ(game.StackDepth(), 0u);
}

TEST_F(SaveLoad, SlotFromAFlagAndTheOverwriteQuestion) {
    type("change");  // F(20) still holds 20
    type("saveat");
    EXPECT_TRUE(fs::exists(folder / "story20.sav"));
    const std::string before = fileBytes("story20.sav");

    type("load");  // slot 1 does not exist
    EXPECT_EQ(host.messages,
              Lines{sj("ファイル") + sj((folder / "story1.sav").string()) + sj("が開けません")});

    type("drop");
    host.yesAnswers = {false};
    type("saveat");
    EXPECT_NE(std::find(host.calls.begin(), host.calls.end(),
                        "yesno:" + sj("セーブデータが存在します。上書きしてもよろしいですか？")),
              host.calls.end());
    EXPECT_EQ(fileBytes("story20.sav"), before);
    host.yesAnswers = {true};
    type("saveat");
    EXPECT_NE(fileBytes("story20.sav"), before);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(SaveLoad, RefusedFilesChangeNothingButTheMusic) {
    music.RestoreFlags(true, true);
    const std::vector<std::pair<const char*, std::string>> files = {
        {"another kind of file", "RIFF....WAVE"},
        {"an empty file", ""},
    };
    for (const auto& [what, bytes] : files) {
        SCOPED_TRACE(what);
        folder.write("story1.sav", bytes);
        type("change");
        type("load");
        EXPECT_EQ(host.messages, Lines{sj("セーブデータの形式が異なっています")});
        EXPECT_EQ(game.FlagValue(1), 100);
        EXPECT_EQ(game.ItemValue("lamp"), 1);
        EXPECT_EQ(type("look"), (Lines{"> look", "dark"}));
        EXPECT_FALSE(music.GetState().loaded);
    }
}

TEST_F(SaveLoad, AFailedWriteKeepsTheOldFile) {
    type("save");
    const std::string before = fileBytes("story1.sav");
    // A folder in the way of the rename: the write fails after the temporary is complete.
    fs::rename(folder / "story1.sav", folder / "keep.sav");
    fs::create_directory(folder / "story1.sav");
    type("change");
    host.yesAnswers = {true};
    type("save");
    // The file named, the system's reason in the message's own language.
    EXPECT_EQ(host.messages, Lines{sj("セーブデータ") + sj((folder / "story1.sav").string()) +
                                   sj("を書き込めませんでした (フォルダです)")});
    EXPECT_FALSE(game.Halted());
    EXPECT_EQ(fileBytes("keep.sav"), before);
    EXPECT_EQ(folder.list(), (Lines{"keep.sav", "red.bmp", "story1.sav/"}));  // no leftovers
    EXPECT_EQ(type("look"), (Lines{"> look", "dark"}));                       // the game goes on
}

TEST(SaveOnAFullDisk, KeepsTheOldFileAndSaysWhy) {
    testing::TempFolder folder;
    testing::SmallDisk disk(folder / "disk", 16 * 1024);
    if (!disk.mounted()) GTEST_SKIP() << disk.whyNot();
    RawPictures pictures;
    Music music;
    StubHost host;
    Engine game{host, MediaServices{&pictures, nullptr, &music}};
    game.OpenScriptText(kScript, disk / "story.vns");
    host.runIdle(game);
    // A save of some 9 KiB fits, a second beside it not.
    game.ProcessInput("save");
    host.runIdle(game);
    ASSERT_EQ(host.messages, Lines{});
    const std::vector<Byte> before = readWholeFile(disk / "story1.sav");
    ASSERT_GT(before.size(), 8u * 1024);
    host.yesAnswers = {true};
    game.ProcessInput("save");
    host.runIdle(game);
    EXPECT_EQ(host.messages, Lines{sj("セーブデータ") + sj((disk / "story1.sav").string()) +
                                   sj("を書き込めませんでした (ディスクに空きがありません)")});
    EXPECT_EQ(readWholeFile(disk / "story1.sav"), before);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder / "disk"))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, Lines{"story1.sav"});
}

}  // namespace
}  // namespace vornal::test
