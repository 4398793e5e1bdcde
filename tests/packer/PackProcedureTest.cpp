#include "packer/PackProcedure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/Archive.h"
#include "tests/packer/RunProgram.h"
#include "tests/packer/TempFolder.h"

namespace vornal::pack {
namespace {

namespace fs = std::filesystem;
using vornal::testing::slurp;
using vornal::testing::TempFolder;

std::string contentOf(const MemoryStream& s) {
    return std::string(s.bytes().begin(), s.bytes().end());
}

TEST(PackChecks, ScriptMessages) {
    TempFolder dir;
    const fs::path script = dir.write("game.vns", "*SCENE a\r\n");
    fs::create_directories(dir / "folder.vns");
    EXPECT_EQ(CheckScript(""), "スクリプトファイルを選択してください。");
    EXPECT_EQ(CheckScript(dir / "none.vns"),
              "スクリプトファイル" + (dir / "none.vns").string() + "が存在しません。");
    EXPECT_EQ(CheckScript(dir / "folder.vns"),
              "スクリプトファイル" + (dir / "folder.vns").string() + "が存在しません。");
    EXPECT_EQ(CheckScript(script), std::nullopt);
}

TEST(PackChecks, FirstBadDataFileIsNamed) {
    TempFolder dir;
    const fs::path a = dir.write("a.bmp", "a"), b = dir.write("b.wav", "");
    const fs::path smiley = dir.write("\xF0\x9F\x98\x80.bmp", "x");  // no Shift-JIS for it
    EXPECT_EQ(CheckDataFiles(std::vector<fs::path>{}), std::nullopt);
    EXPECT_EQ(CheckDataFiles(std::vector<fs::path>{a, b}), std::nullopt);
    EXPECT_EQ(CheckDataFiles(std::vector<fs::path>{a, dir / "gone.mid", dir / "x.jpg"}),
              "データファイル" + (dir / "gone.mid").string() + "が存在しません。");
    EXPECT_EQ(CheckDataFiles(std::vector<fs::path>{a, smiley}),
              "データファイル" + smiley.string() + "の名前はShift-JISで表せません。");
}

TEST(PackChecks, EntryNames) {
    struct Case {
        const char* file;
        const char* entry;  // Shift-JIS bytes
    };
    const Case cases[] = {
        {"Room1.bmp", "ROOM1.BMP"},
        {"/any/folder/room1.bmp", "ROOM1.BMP"},
        {"部屋.bmp", "\x95\x94\x89\xae.BMP"},
        // ッ is 83 62: its trail byte is a lower-case 'b' and stays so.
        {"ッa.wav",
         "\x83\x62"
         "A.WAV"},
        {"表.mid", "\x95\x5c.MID"},
        {"ｱ.jpg", "\xb1.JPG"},  // half-width katakana, one byte
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(EntryNameFor(c.file), std::string(c.entry));
    }
    EXPECT_EQ(EntryNameFor("\xF0\x9F\x98\x80.bmp"), std::nullopt);
}

TEST(PackChecks, ProposedArchivePath) {
    EXPECT_EQ(ProposedArchivePath("games/story.vns"), fs::path("games/story.vnp"));
    EXPECT_EQ(ProposedArchivePath("story"), fs::path("story.vnp"));
    EXPECT_EQ(ProposedArchivePath("v1.2/story.txt"), fs::path("v1.2/story.vnp"));
}

class PackWrite : public ::testing::Test {
protected:
    TempFolder dir;
    PackJob job() {
        PackJob j;
        j.script = dir.write("game.vns", "*SCENE start\r\nHello\r\n");
        j.dataFiles = {dir.write("pics/Room1.bmp", std::string(3000, 'r')),
                       dir.write("sounds/empty.wav", ""),
                       dir.write("other/room1.bmp", "second room"), dir.write("部屋.bmp", "heya")};
        j.archive = dir / "game.vnp";
        return j;
    }
};

TEST_F(PackWrite, EntriesInOrderAllCompressedAndReadable) {
    const PackJob j = job();
    WriteArchiveFile(j);
    FileStream archive(j.archive, FileStream::Mode::read);
    std::vector<std::string> names, contents;
    WalkArchive(archive, [&](const ArchiveEntryInfo& e) {
        EXPECT_TRUE(e.compressed) << e.name;
        names.push_back(e.name);
        MemoryStream data;
        ReadArchiveData(e, archive, data);
        contents.push_back(contentOf(data));
        return true;
    });
    EXPECT_EQ(names, (std::vector<std::string>{"*SCRIPT*", "ROOM1.BMP", "EMPTY.WAV", "ROOM1.BMP",
                                               "\x95\x94\x89\xae.BMP"}));
    EXPECT_EQ(contents,
              (std::vector<std::string>{"*SCENE start\r\nHello\r\n", std::string(3000, 'r'), "",
                                        "second room", "heya"}));
    MemoryStream dest;
    ASSERT_EQ(ReadArchiveEntry("ROOM1.BMP", archive, dest), kArchiveFound);
    EXPECT_EQ(contentOf(dest), std::string(3000, 'r'));  // the first of the two
}

TEST_F(PackWrite, SameInputsGiveTheSameBytes) {
    PackJob j = job();
    WriteArchiveFile(j);
    const std::string first = slurp(j.archive);
    j.archive = dir / "again.vnp";
    WriteArchiveFile(j);
    EXPECT_EQ(slurp(j.archive), first);
}

TEST_F(PackWrite, ProgressNamesEachFileThenFinishes) {
    const PackJob j = job();
    std::vector<std::string> seen;
    WriteArchiveFile(j, [&](const PackProgress& p) {
        EXPECT_EQ(p.entryCount, 5u);
        seen.push_back(std::to_string(p.entry) + ":" +
                       (p.file ? p.file->filename().string() : std::string("done")));
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"0:game.vns", "1:Room1.bmp", "2:empty.wav",
                                              "3:room1.bmp", "4:部屋.bmp", "5:done"}));
}

// A stop asked for in any report, the last one included, comes before the archive
// replaces the old one: a cancelled save never leaves a new archive behind.
TEST_F(PackWrite, AReportThatThrowsLeavesTheOldArchiveWhicheverItIs) {
    struct Stop {};
    for (std::size_t stopAt = 0; stopAt <= 5; ++stopAt) {
        SCOPED_TRACE(stopAt);
        PackJob j = job();
        dir.write("game.vnp", "the old archive");
        const auto before = dir.list();
        std::size_t reports = 0;
        EXPECT_THROW(WriteArchiveFile(j,
                                      [&](const PackProgress& p) {
                                          ++reports;
                                          EXPECT_EQ(slurp(j.archive), "the old archive");
                                          if (p.entry == stopAt) throw Stop{};
                                      }),
                     Stop);
        EXPECT_EQ(reports, stopAt + 1);
        EXPECT_EQ(slurp(j.archive), "the old archive");
        EXPECT_EQ(dir.list(), before);
    }
}

TEST_F(PackWrite, AFailureHalfwayLeavesTheOldArchiveAndNoLeftovers) {
    PackJob j = job();
    dir.write("game.vnp", "the old archive");
    // A folder opens but cannot be read: the failure comes after entries were written.
    fs::create_directories(dir / "trap.bmp");
    j.dataFiles.insert(j.dataFiles.begin() + 2, dir / "trap.bmp");
    const auto before = dir.list();
    try {
        WriteArchiveFile(j);
        ADD_FAILURE() << "written";
    } catch (const PackError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(j.archive.string()), std::string::npos) << message;
        EXPECT_NE(message.find("trap.bmp"), std::string::npos) << message;
    }
    EXPECT_EQ(slurp(j.archive), "the old archive");
    EXPECT_EQ(dir.list(), before);
}

TEST_F(PackWrite, AStopIsSeenWithinALargeFileAndWritesNothing) {
    PackJob j = job();
    // Read in blocks of 4 KiB: one for the script, then the stop at the big file's second.
    j.dataFiles.insert(j.dataFiles.begin(), dir.write("big.bmp", std::string(20000, 'b')));
    dir.write("game.vnp", "the old archive");
    const auto before = dir.list();
    int asked = 0;
    std::string stoppedIn;
    try {
        WriteArchiveFile(
            j, [&](const PackProgress& p) { stoppedIn = p.file->filename().string(); },
            [&] { return ++asked == 3; });
        ADD_FAILURE() << "written";
    } catch (const PackStopped&) {
    }
    EXPECT_EQ(stoppedIn, "big.bmp");
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(slurp(j.archive), "the old archive");
    EXPECT_EQ(dir.list(), before);
}

TEST_F(PackWrite, FailuresNameTheArchiveAndTheFileInBothLanguages) {
    PackJob j = job();
    fs::remove(j.dataFiles[2]);  // gone after the checks
    try {
        WriteArchiveFile(j);
        ADD_FAILURE() << "written";
    } catch (const PackError& e) {
        const std::string gone = j.dataFiles[2].string();
        EXPECT_EQ(std::string(e.what()), "cannot write '" + j.archive.string() +
                                             "': cannot open '" + gone +
                                             "': No such file or directory");
        EXPECT_EQ(e.japanese(),
                  "「" + gone + "」を開けません（ファイルまたはフォルダがありません）");
    }
}

TEST_F(PackWrite, AnUnwritableFolderIsReported) {
    PackJob j = job();
    j.archive = dir / "missing" / "game.vnp";
    EXPECT_THROW(WriteArchiveFile(j), PackError);
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

}  // namespace
}  // namespace vornal::pack
