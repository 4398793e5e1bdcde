// Live reload's watcher: which changes count. The kernel queues a file's events while the
// writing call runs, so each change is there to be read as soon as it returns.
#include "player/author/GameWatcher.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/packer/TempFolder.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;

TEST(GameWatcher, SeesTheGameAndItsDataFilesOnly) {
    testing::TempFolder folder;
    folder.write("game.vns", "*SCENE a\n");
    folder.write("snd/door.wav", "");
    folder.write(".git/HEAD", "");
    GameWatcher watcher(folder / "game.vns");
    EXPECT_FALSE(watcher.takeChanges()) << "nothing has changed yet";

    const struct {
        const char* what;
        std::function<void()> change;
        bool counts;
    } cases[] = {
        {"the script written in place", [&] { folder.write("game.vns", "*SCENE b\n"); }, true},
        {"the script put in place by a rename",
         [&] {
             folder.write("game.vns.tmp", "*SCENE c\n");
             fs::rename(folder / "game.vns.tmp", folder / "game.vns");
         },
         true},
        {"a picture beside it", [&] { folder.write("Room.BMP", "x"); }, true},
        {"a sound in a folder below", [&] { folder.write("snd/door.wav", "x"); }, true},
        {"music in a folder made after the watch began",
         [&] {
             fs::create_directory(folder / "bgm");
             EXPECT_FALSE(watcher.takeChanges());
             folder.write("bgm/theme.mid", "x");
         },
         true},
        {"a save file the game writes", [&] { folder.write("game1.sav", "x"); }, false},
        {"another script", [&] { folder.write("other.vns", "x"); }, false},
        {"an editor's swap file", [&] { folder.write(".game.vns.swp", "x"); }, false},
        {"an editor's backup", [&] { folder.write("game.vns~", "x"); }, false},
        {"a file in a hidden folder", [&] { folder.write(".git/theme.mid", "x"); }, false},
        {"a file read, not written", [&] { (void)fs::file_size(folder / "game.vns"); }, false},
    };
    for (const auto& c : cases) {
        c.change();
        EXPECT_EQ(watcher.takeChanges(), c.counts) << c.what;
        EXPECT_FALSE(watcher.takeChanges()) << c.what << ": read once";
    }
}

TEST(GameWatcher, RefusesAFolderThatIsNotThere) {
    EXPECT_THROW(GameWatcher(fs::path("/nonexistent-folder-of-vornal/game.vns")),
                 std::system_error);
    EXPECT_TRUE(IsDataFileName("a.JPEG"));
    EXPECT_FALSE(IsDataFileName("a.png"));
}

}  // namespace
}  // namespace vornal
