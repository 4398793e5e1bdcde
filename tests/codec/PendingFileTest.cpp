// PendingFile: the target is replaced whole or not at all, keeps its rights, takes names
// as long as the folder allows, and a full disk is reported naming the target.
#include "codec/PendingFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "codec/ArchiveWriter.h"
#include "tests/codec/SmallDisk.h"
#include "tests/packer/TempFolder.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<Byte>;
using Names = std::vector<std::string>;
using testing::TempFolder;

std::string text(const fs::path& file) {
    const Bytes bytes = readWholeFile(file);
    return std::string(bytes.begin(), bytes.end());
}

mode_t rights(const fs::path& file) {
    struct stat s {};
    EXPECT_EQ(::stat(file.c_str(), &s), 0) << file;
    return s.st_mode & 07777;
}

void writeAndCommit(const fs::path& target, std::string_view content) {
    PendingFile file(target);
    file.stream().write(std::span(reinterpret_cast<const Byte*>(content.data()), content.size()));
    file.commit();
}

TEST(PendingFile, CommitReplacesTheTargetAndLeavesNothingElse) {
    TempFolder dir;
    const fs::path target = dir / "game.vnp";
    dir.write("game.vnp", "old");
    {
        PendingFile file(target);
        EXPECT_EQ(file.temporaryPath().parent_path(), dir.path());
        file.stream().write(Bytes{'n', 'e', 'w'});
        EXPECT_EQ(text(target), "old");  // untouched until committed
        file.commit();
    }
    EXPECT_EQ(text(target), "new");
    EXPECT_EQ(dir.list(), Names{"game.vnp"});
}

TEST(PendingFile, AFailureBeforeCommitLeavesTheTargetAsItWas) {
    TempFolder dir;
    const fs::path target = dir.write("game.vnp", "old");
    try {
        PendingFile file(target);
        file.stream().write(Bytes(5000, 'x'));
        throw StreamError("disk full");
    } catch (const StreamError&) {
    }
    EXPECT_EQ(text(target), "old");
    EXPECT_EQ(dir.list(), Names{"game.vnp"});

    { PendingFile fresh(dir / "new.vnp"); }
    EXPECT_EQ(dir.list(), Names{"game.vnp"});
}

TEST(PendingFile, RightsOfTheReplacedFileStayTheUmaskDecidesForANewOne) {
    TempFolder dir;
    const mode_t saved = ::umask(027);
    struct Case {
        const char* name;
        mode_t before;  // 0: no file before
        mode_t after;
    };
    const Case cases[] = {
        {"new.sav", 0, 0640},         {"private.sav", 0600, 0600}, {"shared.vnp", 0664, 0664},
        {"readonly.vnp", 0444, 0444}, {"setuid.vnp", 04755, 0755},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.before != 0) {
            dir.write(c.name, "old");
            ASSERT_EQ(::chmod((dir / c.name).c_str(), c.before), 0);
        }
        writeAndCommit(dir / c.name, "new");
        EXPECT_EQ(text(dir / c.name), "new");
        EXPECT_EQ(rights(dir / c.name), c.after);
    }
    ::umask(saved);
}

TEST(PendingFile, TheTemporaryNameFitsWhereTheTargetsFits) {
    const std::string a = "あ";  // three bytes in UTF-8
    struct Case {
        std::string name;
        std::size_t nameMax;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"game.vnp", 255, ".game.vnp.XXXXXX"},
        {std::string(247, 'a'), 255, "." + std::string(247, 'a') + ".XXXXXX"},
        {std::string(248, 'a'), 255, "." + std::string(247, 'a') + ".XXXXXX"},
        {std::string(255, 'a'), 255, "." + std::string(247, 'a') + ".XXXXXX"},
        // Cut before the character that would not fit whole.
        {a + a + a + "x", 16, "." + a + a + ".XXXXXX"},
        {"ab" + a + a, 15, ".ab" + a + ".XXXXXX"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TemporaryName(c.name, "XXXXXX", c.nameMax), c.expected);
    }

    // For real, with names of the longest lengths the folder takes.
    TempFolder dir;
    std::string wide;
    for (int i = 0; i < 85; ++i)
        wide += a;
    for (const std::string& name : {std::string(255, 'b'), std::string(254, 'c'), wide}) {
        SCOPED_TRACE(name.size());
        writeAndCommit(dir / name, "long");
        EXPECT_EQ(text(dir / name), "long");
        EXPECT_EQ(dir.list(), Names{name});
        fs::remove(dir / name);
    }
}

TEST(PendingFile, FailuresNameTheTargetAndTheSystemsReason) {
    TempFolder dir;
    struct Case {
        const char* what;
        fs::path target;
        FileFailure::Action action;
        int error;
    };
    fs::create_directory(dir / "folder.vnp");
    const Case cases[] = {
        {"a missing folder", dir / "no such folder" / "game.vnp", FileFailure::Action::create,
         ENOENT},
        {"a folder in the target's place", dir / "folder.vnp", FileFailure::Action::replace,
         EISDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            writeAndCommit(c.target, "new");
            ADD_FAILURE() << "committed";
        } catch (const StreamError& e) {
            ASSERT_NE(e.failure(), nullptr) << e.what();
            EXPECT_EQ(e.failure()->file, c.target);
            EXPECT_EQ(e.failure()->action, c.action);
            EXPECT_EQ(e.failure()->error, c.error);
            EXPECT_NE(std::string(e.what()).find("'" + c.target.string() + "'"), std::string::npos)
                << e.what();
        }
    }
    EXPECT_EQ(dir.list(), Names{"folder.vnp/"});
}

TEST(PendingFile, AFullDiskKeepsTheOldFileAndNamesTheTarget) {
    TempFolder dir;
    testing::SmallDisk disk(dir / "disk", 64 * 1024);
    if (!disk.mounted()) GTEST_SKIP() << disk.whyNot();
    const fs::path target = disk / "game.vnp";
    writeAndCommit(target, std::string(40 * 1024, 'o'));
    // The new file cannot sit beside the old one: the write fails, when the bytes leave
    // the buffer at the latest.
    try {
        writeAndCommit(target, std::string(40 * 1024, 'n'));
        ADD_FAILURE() << "committed on a full disk";
    } catch (const StreamError& e) {
        ASSERT_NE(e.failure(), nullptr) << e.what();
        EXPECT_EQ(e.failure()->error, ENOSPC);
        EXPECT_EQ(std::string(e.what()),
                  "cannot write '" + target.string() + "': No space left on device");
    }
    EXPECT_EQ(text(target), std::string(40 * 1024, 'o'));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(target.parent_path()))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, Names{"game.vnp"});
}

TEST(PendingFile, ArchiveWrittenThroughItReadsBack) {
    TempFolder dir;
    const fs::path target = dir / "game.vnp";
    {
        PendingFile file(target);
        ArchiveWriter writer(file.stream(), 2);
        MemoryStream script(Bytes{'a', 'b', 'c'}), picture(Bytes(5000, 7));
        writer.addEntry("*SCRIPT*", script, 3);
        writer.addEntry("ROOM1.BMP", picture, 5000);
        writer.finish();
        file.commit();
    }
    FileStream archive(target, FileStream::Mode::read);
    MemoryStream dest;
    ASSERT_EQ(ReadArchiveEntry("ROOM1.BMP", archive, dest), kArchiveFound);
    EXPECT_EQ(Bytes(dest.bytes().begin(), dest.bytes().end()), Bytes(5000, 7));
    ASSERT_EQ(ReadArchiveEntry("*SCRIPT*", archive, dest), kArchiveFound);
    EXPECT_EQ(dest.size(), 3);
}

TEST(FileFailure, SaidInEnglishAndInJapaneseNamingTheFile) {
    using Action = FileFailure::Action;
    struct Case {
        FileFailure failure;
        std::string english;
        std::string japanese;
    };
    const Case cases[] = {
        {{Action::open, "/g/a.vns", ENOENT},
         "cannot open '/g/a.vns': No such file or directory",
         "「/g/a.vns」を開けません（ファイルまたはフォルダがありません）"},
        {{Action::create, "/g/b.vnp", EACCES},
         "cannot create '/g/b.vnp': Permission denied",
         "「/g/b.vnp」を作成できません（アクセスする権限がありません）"},
        {{Action::read, "/g/c.bmp", EIO},
         "cannot read '/g/c.bmp': " + std::string(std::strerror(EIO)),
         "「/g/c.bmp」を読み込めません（入出力エラーが起きました）"},
        {{Action::write, "/g/d.sav", ENOSPC},
         "cannot write '/g/d.sav': No space left on device",
         "「/g/d.sav」に書き込めません（ディスクに空きがありません）"},
        {{Action::replace, "/g/e.vnp", EROFS},
         "cannot replace '/g/e.vnp': Read-only file system",
         "「/g/e.vnp」を置き換えられません（読み込み専用のファイルシステムです）"},
        // An error the table does not word keeps the system's text, with its number.
        {{Action::write, "/g/f", EPIPE},
         "cannot write '/g/f': Broken pipe",
         "「/g/f」に書き込めません（システムエラー " + std::to_string(EPIPE) + " (Broken pipe)）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.english);
        EXPECT_EQ(EnglishText(c.failure), c.english);
        EXPECT_EQ(JapaneseText(c.failure), c.japanese);
        EXPECT_EQ(StreamError(c.failure).what(), c.english);
    }
}

}  // namespace
}  // namespace vornal
