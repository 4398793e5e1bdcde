// The user's data folder: where it is, how games are told apart in it, resume points written
// whole, and the story log with its recording.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>
#include <sstream>

#include "player/session/StoryLog.h"
#include "player/session/UserData.h"
#include "tests/packer/TempFolder.h"

namespace vornal::session {
namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

// Sets (or, for nullptr, unsets) an environment variable for one scope.
class Env {
public:
    Env(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~Env() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(DataFolder, FollowsTheBaseDirectoryRules) {
    const struct {
        const char* xdg;
        const char* home;
        const char* expected;
    } cases[] = {
        {"/data/me", "/home/me", "/data/me/VORNAL"},
        {"relative/data", "/home/me", "/home/me/.local/share/VORNAL"},  // ignored
        {"", "/home/me", "/home/me/.local/share/VORNAL"},
        {nullptr, "/home/me", "/home/me/.local/share/VORNAL"},
        {nullptr, nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.xdg ? c.xdg : "(unset)") + " " + (c.home ? c.home : "(unset)"));
        Env xdg("XDG_DATA_HOME", c.xdg);
        Env home("HOME", c.home);
        EXPECT_EQ(dataFolderFromEnvironment(), fs::path(c.expected));
    }
}

TEST(DataFolder, GamesOfOneNameAreToldApartByTheirScripts) {
    EXPECT_EQ(gameStem("/usr/share/games/demo/demo.vnp", 0x0123456789ABCDEFULL),
              "demo-0123456789abcdef");
    EXPECT_EQ(gameStem("demo.vns", 1), "demo-0000000000000001");
    EXPECT_NE(gameStem("a/demo.vns", 1), gameStem("b/demo.vns", 2));
}

TEST(DataFolder, SavesStayBesideAGameThatCanBeWritten) {
    testing::TempFolder folder;
    EXPECT_EQ(savesFolder(folder.path(), folder / "data", "game-1"), std::nullopt);
    EXPECT_FALSE(fs::exists(folder / "data"));
    if (::geteuid() == 0) GTEST_SKIP() << "root writes anywhere (tty.cli.readonly-saves covers it)";
    fs::create_directories(folder / "game");
    fs::permissions(folder / "game", fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EQ(savesFolder(folder / "game", folder / "data", "game-1"),
              folder / "data" / "saves" / "game-1");
    EXPECT_TRUE(fs::is_directory(folder / "data" / "saves" / "game-1"));
    fs::permissions(folder / "game", fs::perms::owner_write, fs::perm_options::add);
}

TEST(Resume, WrittenWholeReadBackAndRemoved) {
    testing::TempFolder folder;
    const ResumeStore store(folder / "data", "game-2");
    EXPECT_EQ(store.file(), folder / "data" / "resume" / "game-2.resume");
    EXPECT_FALSE(store.exists());
    EXPECT_TRUE(store.read().empty());
    const std::vector<Byte> first(1000, 7);
    store.write(first);
    EXPECT_EQ(store.read(), first);
    store.write({1, 2, 3});
    EXPECT_EQ(store.read(), (std::vector<Byte>{1, 2, 3}));
    // Only the file itself: the temporary it was written through is gone.
    EXPECT_EQ(folder.list("data/resume"), std::vector<std::string>{"game-2.resume"});
    store.remove();
    EXPECT_FALSE(store.exists());
}

TEST(Story, KeepsEveryLineAndSavesIt) {
    testing::TempFolder folder;
    StoryLog story;
    story.add("> look");
    story.add("[所持アイテム]\r\nlamp\nkey");  // one line of the area holding line breaks
    story.add("");
    EXPECT_EQ(story.lines(),
              (std::deque<std::string>{"> look", "[所持アイテム]", "lamp", "key", ""}));
    story.saveTo(folder / "story.txt");
    EXPECT_EQ(readText(folder / "story.txt"), "> look\n[所持アイテム]\nlamp\nkey\n\n");
}

TEST(Story, ForgetsTheOldestPastItsBound) {
    StoryLog story;
    for (std::size_t i = 0; i < StoryLog::kMaxLines + 5; ++i)
        story.add(std::to_string(i));
    EXPECT_EQ(story.lines().size(), StoryLog::kMaxLines);
    EXPECT_EQ(story.lines().front(), "5");
    story.add(std::string(StoryLog::kMaxBytes, 'x'));  // alone larger than the bound
    EXPECT_LE(story.lines().size(), 1u);
}

TEST(Story, RecordingAppendsEachSessionToTodaysFile) {
    testing::TempFolder folder;
    const fs::path file = StoryLog::recordFile(folder / "data", "demo-00");
    char today[16];
    const std::time_t now = std::time(nullptr);
    std::strftime(today, sizeof today, "%Y-%m-%d", std::localtime(&now));
    EXPECT_EQ(file, folder / "data" / "transcripts" / ("demo-00-" + std::string(today) + ".txt"));
    for (const char* session : {"one", "two"}) {
        StoryLog story;
        story.add("before the recording");
        story.startRecording(file, std::string("=== ") + session);
        EXPECT_TRUE(story.recording());
        story.add(std::string("line of ") + session);
        story.stopRecording();
        story.add("after it");
    }
    EXPECT_EQ(readText(file), "=== one\nline of one\n=== two\nline of two\n");
}

}  // namespace
}  // namespace vornal::session
