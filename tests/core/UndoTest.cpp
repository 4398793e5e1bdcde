// Taking typed commands back and resuming a game: every part of the state a command can
// change comes back exactly, through the undo history and through a resume point.
#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "player/core/Engine.h"
#include "player/core/UndoHistory.h"
#include "player/music/Music.h"
#include "tests/core/RawPictures.h"
#include "tests/core/StubHost.h"
#include "tests/packer/TempFolder.h"

namespace vornal::test {
namespace {

// A 4-tick song, for *BGM (format 0: a note, then End of Track).
const std::string kSong(
    "MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0\0\x0B\0\x90\x3C\x64\x60\x3C\0\0\xFF\x2F\0", 33);

constexpr std::string_view kScript =
    "*ITEM\r\nkey 0\r\nlamp 1\r\n*ITEMEND\r\n"
    "*SCENE hall\r\n*PICTURE red.bmp\r\nhall\r\n"
    ">flag\r\n*F(1)=100\r\n*F(512)=7\r\nflag set\r\n"
    ">take\r\n*GETITEM key\r\n>drop\r\n*DELITEM lamp\r\n"
    ">cellar\r\n*GOTO CELLAR\r\n"
    ">cls\r\n*CLS\r\nafter cls\r\n"
    ">title\r\n*TITLE Renamed\r\n>screen\r\n*SCREEN 100 50\r\n"
    ">green\r\n*PICTURE green.bmp 1 0\r\n"
    ">song\r\n*BGM song\r\n>hush\r\n*BGM other\r\n"
    ">rest\r\n*GOSUB NAP\r\nafter nap\r\n*END\r\n"
    "*LABEL NAP\r\n*SETINPUT 1\r\nnapping\r\n*WAIT 3\r\nwoke\r\n*END\r\n"
    ">count\r\n*F(2)+=1\r\ncounted\r\n"
    ">ask\r\n*YESNO sure? YES NO\r\n*END\r\n*LABEL YES\r\nyes\r\n*END\r\n*LABEL "
    "NO\r\nno\r\n*END\r\n"
    ">broken\r\n*PICTURE missing.bmp\r\n"
    "*SCENEEND\r\n"
    "*SCENE cellar\r\n*LABEL CELLAR\r\ncellar\r\n>look\r\ndark\r\n*SCENEEND\r\n";

// Everything of the game a player or a save could tell apart.
struct Observed {
    std::vector<std::int32_t> flags;
    std::vector<std::optional<std::int32_t>> items;
    std::int32_t scene = 0;
    std::size_t stack = 0;
    std::deque<std::string> messages;
    bool drawn = false;
    Bitmap bitmap;
    int areaWidth = 0;
    int areaHeight = 0;
    std::string caption;
    std::string pictureName;
    RunState state = RunState::Idle;
    bool input = true;
    bool timer = false;
    Music::State music;

    // The names of the parts that differ, empty when none does.
    std::string differences(const Observed& o) const {
        std::string d;
        const auto part = [&](bool same, const char* name) {
            if (!same) d += std::string(d.empty() ? "" : ", ") + name;
        };
        part(flags == o.flags, "flags");
        part(items == o.items, "items");
        part(scene == o.scene, "scene");
        part(stack == o.stack, "stack");
        part(messages == o.messages, "messages");
        part(drawn == o.drawn && bitmap.width == o.bitmap.width &&
                 bitmap.height == o.bitmap.height && bitmap.pixels == o.bitmap.pixels,
             "picture");
        part(areaWidth == o.areaWidth && areaHeight == o.areaHeight, "area size");
        part(caption == o.caption, "caption");
        part(pictureName == o.pictureName, "picture name");
        part(state == o.state && timer == o.timer, "run state");
        part(input == o.input, "input");
        part(music.loaded == o.music.loaded && music.loop == o.music.loop &&
                 music.file == o.music.file,
             "music");
        return d;
    }
};

// The last caption and input state the host was given.
std::string lastCall(const std::vector<std::string>& calls, const std::string& prefix) {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
        if (it->rfind(prefix, 0) == 0) return it->substr(prefix.size());
    }
    return {};
}

class Game {
public:
    explicit Game(const testing::TempFolder& folder, std::string_view script = kScript) {
        engine.SetRandomSeed(1);
        engine.OpenScriptText(script, folder / "story.vns");
        host.runIdle(engine);
    }
    std::vector<std::string> type(std::string_view command) {
        allCalls.insert(allCalls.end(), host.calls.begin(), host.calls.end());
        host.calls.clear();
        engine.ProcessInput(command);
        host.runIdle(engine);
        return host.appended();
    }
    Observed observe() {
        Observed o;
        for (std::int32_t i = 0; i <= 512; ++i)
            o.flags.push_back(engine.FlagValue(i));
        o.items = {engine.ItemValue("key"), engine.ItemValue("lamp")};
        o.scene = engine.CurrentScene();
        o.stack = engine.StackDepth();
        o.messages = engine.Messages();
        o.drawn = engine.Picture().hasBitmap();
        o.bitmap = engine.Picture().bitmap();
        o.areaWidth = engine.Picture().areaWidth();
        o.areaHeight = engine.Picture().areaHeight();
        allCalls.insert(allCalls.end(), host.calls.begin(), host.calls.end());
        host.calls.clear();
        o.caption = lastCall(allCalls, "caption:");
        o.pictureName = engine.PictureName();
        o.state = engine.State();
        o.input = lastCall(allCalls, "input:") != "0";
        o.timer = engine.GameTimerEnabled();
        o.music = music.GetState();
        return o;
    }

    RawPictures pictures;
    Music music;
    StubHost host;
    Engine engine{host, MediaServices{&pictures, nullptr, &music}};
    std::vector<std::string> allCalls;
};

class Undo : public ::testing::Test {
protected:
    void SetUp() override {
        folder.write("red.bmp", rawPicture(0xFF0000));
        folder.write("green.bmp", rawPicture(0x00FF00));
        folder.write("song.mid", kSong);
        folder.write("other.mid", kSong);
    }
    testing::TempFolder folder;
};

struct Case {
    const char* name;
    std::vector<std::string> before;  // typed first
    std::string command;
};

TEST_F(Undo, EachKindOfChangeComesBack) {
    const Case cases[] = {
        {"flags, flag 512 too", {}, "flag"},
        {"an item taken", {}, "take"},
        {"an item dropped", {}, "drop"},
        {"another scene", {}, "cellar"},
        {"back from another scene", {"cellar"}, "look"},
        {"the area cleared", {"flag"}, "cls"},
        {"the caption", {}, "title"},
        {"the area's size", {}, "screen"},
        {"a picture over another", {}, "green"},
        {"a song started", {}, "song"},
        {"a song switched", {"song"}, "hush"},
        {"a wait begun inside a call", {}, "rest"},
        {"a command typed during the wait", {"rest"}, "count"},
        {"a command that matches nothing", {}, "dance"},
        {"a question answered", {}, "ask"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Game game(folder);
        for (const std::string& command : c.before)
            game.type(command);
        const Observed before = game.observe();
        game.type(c.command);
        ASSERT_NE(game.observe().differences(before), "");  // the command changed something
        EXPECT_EQ(game.engine.Undo(), c.command);
        EXPECT_EQ(game.observe().differences(before), "");
    }
}

TEST_F(Undo, AWaitTakenBackToRunsOnToItsEnd) {
    Game game(folder);
    game.type("rest");
    game.type("count");
    ASSERT_EQ(game.engine.FlagValue(2), 3);
    ASSERT_EQ(game.engine.Undo(), "count");
    EXPECT_EQ(game.engine.FlagValue(2), 2);
    EXPECT_EQ(game.engine.State(), RunState::Wait);
    game.host.calls.clear();
    game.host.runTimer(game.engine);
    EXPECT_EQ(game.host.appended(), (std::vector<std::string>{"woke", "after nap"}));
    EXPECT_EQ(game.engine.StackDepth(), 0u);
}

TEST_F(Undo, LevelsGoBackOneByOneAndStopAtTheBound) {
    Game game(folder);
    const std::size_t typed = UndoHistory::kMaxLevels + 30;
    for (std::size_t i = 0; i < typed; ++i)
        game.type("count");
    EXPECT_EQ(game.engine.UndoLevels(), UndoHistory::kMaxLevels);
    // The area's bitmap (270 x 183) is the same at every level: it is kept once, not copied
    // each time (which alone would take 128 times 198 KB).
    EXPECT_LT(game.engine.UndoBytes(), UndoHistory::kMaxLevels * 270 * 183 * 4 / 4);
    std::size_t undone = 0;
    while (game.engine.Undo())
        ++undone;
    EXPECT_EQ(undone, UndoHistory::kMaxLevels);
    EXPECT_EQ(game.engine.FlagValue(2), static_cast<std::int32_t>(2 + typed - undone));
    EXPECT_EQ(game.engine.Messages().back(), "counted");
}

TEST_F(Undo, APictureDrawnAgainIsKeptOnce) {
    Game game(folder, "*SCENE s\r\n>a\r\n*PICTURE red.bmp\r\n>b\r\n*PICTURE green.bmp\r\n");
    for (int i = 0; i < 20; ++i)
        game.type(i % 2 ? "b" : "a");
    // The area's bitmap (270 x 183) alternates between two states: two are kept, not 19.
    const std::size_t picture = 270 * 183 * 4;
    EXPECT_GE(game.engine.UndoBytes(), 2 * picture);
    EXPECT_LT(game.engine.UndoBytes(), 3 * picture);
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(game.engine.Undo());
    EXPECT_FALSE(game.engine.Picture().hasBitmap());
}

TEST_F(Undo, NothingIsTakenBackWhenItCannotBe) {
    {
        SCOPED_TRACE("nothing typed yet");
        Game game(folder);
        EXPECT_EQ(game.engine.Undo(), std::nullopt);
    }
    {
        SCOPED_TRACE("from a question in the middle of a pass");
        Game game(folder);
        game.type("flag");
        std::optional<std::optional<std::string>> fromDialog;
        game.host.duringDialog = [&] { fromDialog = game.engine.Undo(); };
        game.type("ask");
        ASSERT_TRUE(fromDialog.has_value());
        EXPECT_EQ(*fromDialog, std::nullopt);
        EXPECT_EQ(game.engine.UndoLevels(), 2u);
    }
    {
        SCOPED_TRACE("the game has stopped");
        Game game(folder);
        game.type("broken");
        ASSERT_TRUE(game.engine.Halted());
        EXPECT_EQ(game.engine.Undo(), std::nullopt);
    }
    {
        SCOPED_TRACE("another game opened");
        Game game(folder);
        game.type("flag");
        game.engine.OpenScriptText(kScript, folder / "story.vns");
        EXPECT_EQ(game.engine.UndoLevels(), 0u);
        EXPECT_EQ(game.engine.Undo(), std::nullopt);
    }
}

TEST_F(Undo, ASaveFileIsNotTouched) {
    Game game(folder, "*SCENE s\r\n>save\r\n*SAVE 1\r\n>load\r\n*LOAD 1\r\n>x\r\n*F(1)=5\r\n");
    game.type("save");
    const std::vector<Byte> saved = readWholeFile(folder / "story1.sav");
    game.type("x");
    ASSERT_TRUE(game.engine.Undo());
    ASSERT_TRUE(game.engine.Undo());
    EXPECT_EQ(readWholeFile(folder / "story1.sav"), saved);
}

TEST_F(Undo, AResumePointBringsTheGameBackInAnotherEngine) {
    Game first(folder);
    EXPECT_TRUE(first.engine.ResumePoint().empty());  // nothing typed: nothing to resume
    for (const char* command : {"flag", "take", "green", "title", "song", "rest"})
        first.type(command);
    const std::vector<Byte> point = first.engine.ResumePoint();
    ASSERT_FALSE(point.empty());
    Observed expected = first.observe();

    Game second(folder);
    ASSERT_TRUE(second.engine.Resume(point));
    Observed resumed = second.observe();
    EXPECT_EQ(resumed.differences(expected), "");
    EXPECT_EQ(second.engine.UndoLevels(), 0u);
    // The wait it was in runs on.
    second.host.calls.clear();
    second.host.runTimer(second.engine);
    EXPECT_EQ(second.host.appended(), (std::vector<std::string>{"woke", "after nap"}));
    // Resumed is in progress: closing again keeps a point even before anything is typed.
    Game third(folder);
    ASSERT_TRUE(third.engine.Resume(second.engine.ResumePoint()));
    EXPECT_EQ(third.engine.Messages().back(), "after nap");
}

TEST_F(Undo, AResumePointDuringAPassIsTheMomentBeforeItsCommand) {
    Game game(folder);
    game.type("take");
    const Observed beforeAsk = game.observe();
    std::vector<Byte> point;
    game.host.duringDialog = [&] { point = game.engine.ResumePoint(); };
    game.type("ask");
    Game other(folder);
    ASSERT_TRUE(other.engine.Resume(point));
    EXPECT_EQ(other.observe().differences(beforeAsk), "");
}

TEST_F(Undo, AResumePointOfAnotherScriptOrDamagedIsRefused) {
    Game game(folder);
    game.type("flag");
    const std::vector<Byte> point = game.engine.ResumePoint();

    Game other(folder, "*SCENE s\r\nelsewhere\r\n>x\r\n*F(1)=2\r\n");
    EXPECT_FALSE(other.engine.Resume(point));
    EXPECT_EQ(other.engine.FlagValue(1), 1);

    const std::vector<Byte> scriptBytes(kScript.begin(), kScript.end());
    const struct {
        const char* name;
        std::vector<Byte> bytes;
    } damaged[] = {
        {"empty", {}},
        {"cut short", std::vector<Byte>(point.begin(), point.begin() + point.size() / 2)},
        {"one byte more",
         [&] {
             auto b = point;
             b.push_back(0);
             return b;
         }()},
        {"another magic",
         [&] {
             auto b = point;
             b[2] = 'S';
             return b;
         }()},
        {"not one at all", scriptBytes},
    };
    for (const auto& d : damaged) {
        SCOPED_TRACE(d.name);
        Game fresh(folder);
        const Observed before = fresh.observe();
        EXPECT_FALSE(fresh.engine.Resume(d.bytes));
        EXPECT_EQ(fresh.observe().differences(before), "");
    }
}

TEST(UndoHistoryBounds, BytesStayWithinTheBoundAndTheNewestStays) {
    UndoHistory history(10, 3000);
    auto snapshot = [](std::size_t lines) {
        Snapshot s;
        s.messages.assign(lines, std::string(100, 'x'));
        return s;
    };
    for (int i = 0; i < 20; ++i)
        history.push("a", snapshot(5));
    EXPECT_LE(history.bytes(), 3000u);
    EXPECT_GE(history.levels(), 1u);
    history.push("huge", snapshot(100));  // larger than the bound alone
    EXPECT_EQ(history.levels(), 1u);
    EXPECT_EQ(history.pop()->typed, "huge");
    EXPECT_EQ(history.bytes(), 0u);
}

}  // namespace
}  // namespace vornal::test
