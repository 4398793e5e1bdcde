// Opening scripts and archives from files, and what a failed opening leaves behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/core/EngineFixture.h"

namespace vornal::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class Opening : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vornal_core_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path write(const std::string& name, std::string_view bytes) {
        fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
        return path;
    }
    fs::path archive(const std::string& name,
                     const std::vector<std::pair<std::string, std::string>>& entries) {
        fs::path path = dir_ / name;
        writeArchive(path, entries);
        return path;
    }
    bool open(const fs::path& path) {
        game.host.calls.clear();
        game.host.messages.clear();
        bool ok = game.engine.OpenScript(path);
        game.host.runIdle(game.engine);
        return ok;
    }
    // The game is empty: a command only echoes, nothing is asked of the host.
    void expectEmptyGame() {
        EXPECT_FALSE(game.engine.ArchiveOpen());
        EXPECT_FALSE(game.engine.HasWork());
        EXPECT_TRUE(game.engine.InputEnabled());
        EXPECT_EQ(game.type("look"), Lines{"> look"});
        EXPECT_EQ(game.engine.State(), RunState::Idle);
    }

    fs::path dir_;
    Played game;
    const std::string script_ = "*TITLE T\r\n*SCENE a\r\nhello\r\n>look\r\nlooked\r\n";
};

TEST_F(Opening, PlainScriptWithAnyOtherExtension) {
    for (const char* name : {"story.vns", "game.txt", "noext"}) {
        ASSERT_TRUE(open(write(name, script_))) << name;
        EXPECT_EQ(game.shown(), Lines{"hello"});
        EXPECT_FALSE(game.engine.ArchiveOpen());
    }
    EXPECT_EQ(game.type("look"), (Lines{"> look", "looked"}));
}

TEST_F(Opening, ArchiveInAnyLetterCase) {
    for (const char* name : {"game.vnp", "GAME.Vnp", "x.VNP"}) {
        ASSERT_TRUE(open(archive(name, {{"PIC.BMP", "xx"}, {"*SCRIPT*", script_}}))) << name;
        EXPECT_EQ(game.shown(), Lines{"hello"});
        EXPECT_TRUE(game.engine.ArchiveOpen());
        EXPECT_EQ(game.host.calls.front(), "caption:T");
    }
}

TEST_F(Opening, SecondGameIsAppendedBelowTheFirst) {
    ASSERT_TRUE(open(write("one.vns", "*SCENE a\r\nfirst\r\n*FLAG\r\n*F(3)=0\r\n")));
    ASSERT_TRUE(open(write("two.vns", "*SCENE b\r\nsecond\r\n")));
    EXPECT_EQ(game.engine.Messages(), (std::deque<std::string>{"first", "second"}));
    EXPECT_EQ(game.engine.FlagValue(3), 3);  // flags start over
}

struct FailureCase {
    std::string name;
    std::string bytes;  // empty: the file does not exist
    bool archived;      // write `bytes` as the only entry of an archive named "DATA"
};

TEST_F(Opening, FailuresLeaveAnEmptyGameAndNoOpenFile) {
    const std::string readFailed = sj("スクリプトの読み込みに失敗しました");
    struct Expect {
        std::string file;
        std::string content;
        int kind;  // 0 plain file, 1 archive with content as entry "DATA", 2 none
        std::string message;
    };
    const fs::path missing = dir_ / "missing.vns";
    const std::vector<Expect> cases = {
        {"missing.vns", "", 2, sj("ファイル") + missing.string() + sj("が開けません")},
        {"noscene.vns", "*LABEL a\r\ntext\r\n", 0,
         "Error:" + (dir_ / "noscene.vns").string() + sj("に*SCENEがありません")},
        {"empty.vns", "", 0, "Error:" + (dir_ / "empty.vns").string() + sj("に*SCENEがありません")},
        {"badvalue.vns", "*TITLE no\r\n*SCENE a\r\n*ITEM\r\nlamp two\r\n*ITEMEND\r\n", 0,
         sj("Error:4行目の数値が正しくありません:lamp two")},
        {"badscreen.vns", "*SCENE a\r\n*SCREEN 320\r\n", 0,
         sj("Error:2行目の数値が正しくありません:*SCREEN 320")},
        {"plain.vnp", script_, 0, readFailed},
        {"noscript.vnp", script_, 1, readFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        // A game is running when the failed opening comes.
        ASSERT_TRUE(open(write("good.vns", script_)));
        fs::path path = dir_ / c.file;
        if (c.kind == 0) write(c.file, c.content);
        if (c.kind == 1) archive(c.file, {{"DATA", c.content}});
        EXPECT_FALSE(open(path));
        EXPECT_EQ(game.host.messages, Lines{c.message});
        // Nothing of the failed script reached the window.
        for (const auto& call : game.host.calls)
            EXPECT_EQ(call.rfind("caption:", 0), std::string::npos) << call;
        expectEmptyGame();
    }
}

TEST_F(Opening, DamagedArchiveIsReportedWithTheReadersReason) {
    fs::path good = archive("good.vnp", {{"*SCRIPT*", script_}});
    std::ifstream in(good, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::size_t cut : {std::size_t{6}, std::size_t{12}, bytes.size() - 3}) {
        fs::path damaged = write("damaged.vnp", bytes.substr(0, cut));
        EXPECT_FALSE(open(damaged)) << cut;
        ASSERT_EQ(game.host.messages.size(), 1u);
        EXPECT_EQ(game.host.messages[0].rfind(sj("スクリプトの読み込みに失敗しました"), 0), 0u);
        expectEmptyGame();
    }
}

TEST_F(Opening, CutArchiveOpensWhenItsScriptIsWholeAndNamesWhatIsLost) {
    const std::string script = "*SCENE a\r\nhello\r\n";
    fs::path good = archive("good.vnp", {{"*SCRIPT*", script},
                                         {"A.BMP", std::string(400, 'a')},
                                         {"B.BMP", std::string(400, 'b')},
                                         {"C.BMP", std::string(400, 'c')}});
    std::ifstream in(good, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Where each entry begins, from the walk the player trusts for sound archives.
    std::vector<std::int64_t> starts;
    MemoryStream copy(std::vector<Byte>(bytes.begin(), bytes.end()));
    WalkArchive(copy, [&](const ArchiveEntryInfo& e) {
        starts.push_back(e.dataOffset - 16 - static_cast<std::int64_t>(e.name.size()));
        return true;
    });
    ASSERT_EQ(starts.size(), 4u);
    const auto at = [&](std::int64_t offset) { return static_cast<std::size_t>(offset); };
    struct Case {
        const char* what;
        std::size_t cut;
        bool opens;
        Lines problems;  // the beginnings of the lines, after "damaged archive 'PATH': "
    };
    const Case cases[] = {
        {"whole", bytes.size(), true, {}},
        {"inside C's data", bytes.size() - 5, true, {"entry 3 'C.BMP': the file is cut short"}},
        {"inside B's data",
         at(starts[3]) - 5,
         true,
         {"entry 2 'B.BMP': the file is cut short",
          "entry 3 cannot be reached: the walk cannot pass entry 2"}},
        {"after A", at(starts[2]), true, {"entries 2 to 3 cannot be reached: the file ends"}},
        {"inside B's header",
         at(starts[2]) + 7,
         true,
         {"entry 2: the file ends inside its header", "entry 3 cannot be reached"}},
        {"inside the script", at(starts[1]) - 3, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path cut = write("cut.vnp", bytes.substr(0, c.cut));
        const std::string prefix = "damaged archive '" + cut.string() + "': ";
        ASSERT_EQ(open(cut), c.opens);
        const Lines& problems = game.engine.OpeningProblems();
        ASSERT_EQ(problems.size(), c.problems.size());
        for (std::size_t i = 0; i < problems.size(); ++i)
            EXPECT_EQ(problems[i].rfind(prefix + c.problems[i], 0), 0u) << problems[i];
        if (!c.opens) {
            // The script's own damage is the refusal's reason.
            ASSERT_EQ(game.host.messages.size(), 1u);
            EXPECT_NE(game.host.messages[0].find(prefix + "entry 0 '*SCRIPT*': the file is cut"),
                      std::string::npos)
                << game.host.messages[0];
            expectEmptyGame();
            continue;
        }
        // The opening plays what it can; nothing of the damage reaches the game's text.
        EXPECT_TRUE(game.host.messages.empty());
        EXPECT_EQ(game.host.appended(), Lines{"hello"});
        EXPECT_FALSE(game.engine.Halted());
    }
}

TEST_F(Opening, AFolderIsAFileThatCannotBeRead) {
    EXPECT_FALSE(open(dir_));
    EXPECT_EQ(game.host.messages, Lines{sj("ファイル") + dir_.string() + sj("が開けません")});
    expectEmptyGame();
}

}  // namespace
}  // namespace vornal::test
