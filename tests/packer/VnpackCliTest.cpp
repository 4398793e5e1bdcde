// vnpack run as a user runs it: real program, real files, exit codes and messages.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <csignal>
#include <cstring>
#include <random>

#include <string>
#include <vector>

#include "codec/Archive.h"
#include "codec/ArchiveWriter.h"
#include "codec/PendingFile.h"
#include "common/SjisText.h"
#include "tests/codec/SmallDisk.h"
#include "tests/packer/RunProgram.h"
#include "tests/packer/TempFolder.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;
using testing::RunResult;
using testing::slurp;
using testing::TempFolder;

class Vnpack : public ::testing::Test {
protected:
    // As run without a display: vnpack alone would open its window otherwise.
    Vnpack() {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            ::unsetenv(name);
    }
    TempFolder dir;
    RunResult run(const std::vector<std::string>& args, bool errOnTerminal = false) {
        return testing::runProgram(VNPACK_PROGRAM, args, dir.path(), errOnTerminal);
    }
    // An archive with the given entries, stored as vnpack would never name them.
    void writeArchive(const std::string& file, const std::vector<std::string>& names) {
        PendingFile out(dir / file);
        ArchiveWriter writer(out.stream(), static_cast<std::int32_t>(names.size()));
        for (const std::string& name : names) {
            MemoryStream data(std::vector<Byte>(name.begin(), name.end()));
            writer.addEntry(name, data, static_cast<std::int32_t>(name.size()));
        }
        writer.finish();
        out.commit();
    }
};

TEST_F(Vnpack, CreateListExtractRoundTrip) {
    const std::string script = "*SCENE start\r\n\x95\x94\x89\xae\r\n";  // Shift-JIS as on disk
    const std::string picture(70000, '\x11');
    dir.write("game.vns", script);
    dir.write("data/Room1.bmp", picture);
    dir.write("data/部屋.bmp", "heya");
    dir.write("empty.wav", "");

    RunResult r = run(
        {"create", "-o", "game.vnp", "game.vns", "data/Room1.bmp", "data/部屋.bmp", "empty.wav"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");  // no progress line when stderr is not a terminal

    r = run({"list", "game.vnp"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> lines = [&] {
        std::vector<std::string> v;
        std::size_t start = 0, end;
        while ((end = r.out.find('\n', start)) != std::string::npos) {
            v.push_back(r.out.substr(start, end - start));
            start = end + 1;
        }
        return v;
    }();
    ASSERT_EQ(lines.size(), 5u) << r.out;
    EXPECT_TRUE(lines[0].ends_with("  *SCRIPT*")) << lines[0];
    EXPECT_TRUE(lines[0].starts_with("          20 ")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("       70000 ")) << lines[1];
    EXPECT_TRUE(lines[1].ends_with("%  ROOM1.BMP")) << lines[1];
    EXPECT_TRUE(lines[2].ends_with("  部屋.BMP")) << lines[2];
    EXPECT_EQ(lines[3], "           0            0       -  EMPTY.WAV");
    EXPECT_TRUE(lines[4].starts_with("       70024 ")) << lines[4];
    EXPECT_TRUE(lines[4].ends_with("  total (4 entries)")) << lines[4];

    r = run({"extract", "game.vnp", "-C", "out"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(dir.list("out"),
              (std::vector<std::string>{"EMPTY.WAV", "ROOM1.BMP", "script.vns", "部屋.BMP"}));
    EXPECT_EQ(slurp(dir / "out/script.vns"), script);
    EXPECT_EQ(slurp(dir / "out/ROOM1.BMP"), picture);
    EXPECT_EQ(slurp(dir / "out/部屋.BMP"), "heya");
    EXPECT_EQ(slurp(dir / "out/EMPTY.WAV"), "");

    // Only the entries asked for, by the names list shows.
    r = run({"extract", "-C", "some", "game.vnp", "部屋.BMP", "*SCRIPT*"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(dir.list("some"), (std::vector<std::string>{"script.vns", "部屋.BMP"}));
}

TEST_F(Vnpack, ScriptAloneGivesTheKnown36Bytes) {
    dir.write("s.vns", "abc");
    RunResult r = run({"create", "--no-check", "s.vns"});  // the archive is named after the script
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string expected(
        "VN\0\1\1\0\0\0\x18\0\0\0\3\0\0\0\1\0\0\0\x08\0\0\0*SCRIPT*\x30\x98\x8c\x60", 36);
    EXPECT_EQ(slurp(dir / "s.vnp"), expected);
}

TEST_F(Vnpack, MustFailCases) {
    dir.write("game.vns", "abc");
    dir.write("exists.vnp", "old");
    dir.write("\xF0\x9F\x98\x80.bmp", "x");
    writeArchive("good.vnp", {"*SCRIPT*", "A.BMP"});
    dir.write("damaged.vnp", std::string("VN\0\1\xff\xff\xff\xff", 8));
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {{}, 2, "usage: vnpack create"},
        {{"frobnicate"}, 2, "vnpack: unknown command 'frobnicate'\nusage:"},
        {{"create", "-o", "out.vnp"}, 2, "vnpack: スクリプトファイルを選択してください。\n"},
        {{"create", "-o", "out.vnp", ""}, 2, "vnpack: スクリプトファイルを選択してください。\n"},
        {{"create", "-o", "out.vnp", "none.vns"},
         1,
         "vnpack: スクリプトファイルnone.vnsが存在しません。\n"},
        {{"create", "-o", "out.vnp", "game.vns", "gone.bmp"},
         1,
         "vnpack: データファイルgone.bmpが存在しません。\n"},
        {{"create", "-o", "exists.vnp", "game.vns"}, 1, "'exists.vnp' exists; add --force"},
        {{"create", "-o", ".", "game.vns"}, 1, "'.' is a folder"},
        {{"create", "-f", "-o", "game.vns", "game.vns"},
         1,
         "vnpack: アーカイブgame.vnsはスクリプトファイルかデータファイルです。\n"},
        {{"create", "--bogus", "game.vns"}, 2, "vnpack: unknown option '--bogus'"},
        {{"create", "game.vns", "-o"}, 2, "vnpack: '-o' needs a value"},
        {{"create", "--force=yes", "game.vns"}, 2, "'--force' takes no value"},
        {{"create", "-o", "out.vnp", "game.vns", "\xF0\x9F\x98\x80.bmp"},
         1,
         "vnpack: データファイル\xF0\x9F\x98\x80.bmpの名前はShift-JISで表せません。\n"},
        {{"list"}, 2, "vnpack: no archive given"},
        {{"list", "good.vnp", "good.vnp"}, 2, "list takes one archive"},
        {{"list", "game.vns"}, 1, "vnpack: 'game.vns' is not a scenario archive\n"},
        {{"list", "nothere.vnp"}, 1, "nothere.vnp"},
        {{"list", "damaged.vnp"}, 1, "damaged archive 'damaged.vnp'"},
        {{"extract", "good.vnp", "-C", "x", "NOPE.BMP"},
         1,
         "vnpack: no entry 'NOPE.BMP' in 'good.vnp'\n"},
        {{"extract", "damaged.vnp", "-C", "x"}, 1, "damaged archive 'damaged.vnp'"},
    };
    const auto before = dir.list();
    for (const Case& c : cases) {
        std::string shown;
        for (const auto& a : c.args)
            shown += " [" + a + "]";
        SCOPED_TRACE(shown);
        RunResult r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        // Nothing written: no archive, no leftovers, the old file as it was.
        fs::remove_all(dir / "x");
        EXPECT_EQ(dir.list(), before);
    }
    EXPECT_EQ(slurp(dir / "exists.vnp"), "old");
}

TEST_F(Vnpack, HelpAndVersion) {
    RunResult r = run({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.starts_with("usage: vnpack create")) << r.out;
    EXPECT_EQ(r.err, "");
    r = run({"extract", "--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("--directory"), std::string::npos);
    r = run({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "vnpack (VORNAL Pack) 0.10\n");
}

TEST_F(Vnpack, ForceReplacesOnCreateAndExtract) {
    dir.write("game.vns", "new script");
    dir.write("game.vnp", "old");
    RunResult r = run({"create", "--force", "--no-check", "game.vns"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(slurp(dir / "game.vnp"), "old");

    dir.write("out/script.vns", "mine");
    r = run({"extract", "game.vnp", "-C", "out"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("'out/script.vns' exists; add --force"), std::string::npos) << r.err;
    EXPECT_EQ(slurp(dir / "out/script.vns"), "mine");
    r = run({"extract", "-f", "game.vnp", "-C", "out"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(slurp(dir / "out/script.vns"), "new script");
}

TEST_F(Vnpack, ExtractKeepsHostileNamesInsideTheFolder) {
    writeArchive("evil.vnp", {"*SCRIPT*", "../ESCAPE", "A/B", "..", ".", "C\\D", "/ABS", "",
                              "\x1b[2J", "GOOD.BMP", "\x95\x5c.BMP"});
    RunResult r = run({"extract", "evil.vnp", "-C", "out"});
    EXPECT_EQ(r.exitCode, 1);
    for (const char* index : {"entry 1 ", "entry 2 ", "entry 3 ", "entry 4 ", "entry 5 ",
                              "entry 6 ", "entry 7 ", "entry 8 "}) {
        EXPECT_NE(r.err.find(index), std::string::npos) << index << r.err;
    }
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos);  // the name is shown defused
    // 表 ends in byte 5C, which is no separator inside a double-byte character.
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"evil.vnp", "out/", "out/GOOD.BMP",
                                                    "out/script.vns", "out/表.BMP"}));
}

TEST_F(Vnpack, ExtractWritesTheFirstOfTwoEntriesOfOneName) {
    dir.write("game.vns", "s");
    dir.write("a/pic.bmp", "first");
    dir.write("b/PIC.BMP", "second");
    ASSERT_EQ(run({"create", "--no-check", "game.vns", "a/pic.bmp", "b/PIC.BMP"}).exitCode, 0);
    RunResult r = run({"extract", "game.vnp", "-C", "out"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("entry 2 'PIC.BMP' skipped"), std::string::npos) << r.err;
    EXPECT_EQ(slurp(dir / "out/PIC.BMP"), "first");
}

TEST_F(Vnpack, ProgressLineOnlyOnATerminal) {
    dir.write("game.vns", "s");
    dir.write("one.bmp", "1");
    RunResult r = run({"create", "--no-check", "game.vns", "one.bmp"}, /*errOnTerminal=*/true);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("packing 1/2 game.vns"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("packing 2/2 one.bmp"), std::string::npos) << r.err;
    EXPECT_TRUE(r.err.ends_with("\r\033[K")) << "the line is cleared at the end";
}

// Hidden files beside the archive: a pending file left behind.
std::vector<std::string> hiddenIn(const fs::path& folder) {
    std::vector<std::string> hidden;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with(".")) {
            hidden.push_back(entry.path().filename().string());
        }
    }
    return hidden;
}

TEST_F(Vnpack, StoppedBySignalRemovesItsPendingFile) {
    // vnpack is caught in the middle: opening the second data file waits while this test
    // holds a lease on it, so the signal comes while the archive is half written.
    ::signal(SIGIO, SIG_IGN);  // the lease's break notice
    const struct {
        int signal;
        int exitCode;
    } cases[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signal);
        dir.write("game.vns", "*SCENE s\r\n*SCENEEND\r\n");
        dir.write("first.bmp", std::string(100000, 'f'));
        const fs::path held = dir.write("held.bmp", "h");
        dir.write("game.vnp", "old archive");
        const int fd = ::open(held.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        if (::fcntl(fd, F_SETLEASE, F_WRLCK) != 0) {
            ::close(fd);
            GTEST_SKIP() << "no file lease here (" << std::strerror(errno)
                         << "): cannot catch vnpack in the middle";
        }
        testing::StartedProgram vnpack(
            VNPACK_PROGRAM, {"create", "-f", "game.vns", "first.bmp", "held.bmp"}, dir.path());
        // The lease turns to breaking once vnpack opens the file; no clock involved.
        while (::fcntl(fd, F_GETLEASE) == F_WRLCK && !vnpack.ended())
            ::usleep(1000);
        EXPECT_EQ(hiddenIn(dir.path()).size(), 1u) << "a pending file while packing";
        ::kill(vnpack.pid(), c.signal);
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
        ::close(fd);

        const RunResult r = vnpack.wait();
        EXPECT_EQ(r.signal, 0) << "ended by itself";
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(r.err, "vnpack: stopped; 'game.vnp' left as it was\n");
        EXPECT_EQ(slurp(dir / "game.vnp"), "old archive");
        EXPECT_EQ(hiddenIn(dir.path()), std::vector<std::string>{});
    }
}

TEST_F(Vnpack, AFullDiskIsReportedAndTheOldArchiveStays) {
    testing::SmallDisk disk(dir / "disk", 64 * 1024);
    if (!disk.mounted()) GTEST_SKIP() << disk.whyNot();
    dir.write("game.vns", "*SCENE s\r\n*SCENEEND\r\n");
    std::mt19937 random(7);
    std::string noise(100 * 1024, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());  // does not compress: the archive outgrows the disk
    dir.write("noise.bmp", noise);
    dir.write("disk/game.vnp", "old archive");

    const RunResult r = run({"create", "-f", "-o", "disk/game.vnp", "game.vns", "noise.bmp"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "vnpack: cannot write 'disk/game.vnp': No space left on device\n");
    EXPECT_TRUE(slurp(dir / "disk/game.vnp") == "old archive");
    EXPECT_EQ(dir.list("disk"), std::vector<std::string>{"game.vnp"});
}

}  // namespace
}  // namespace vornal

namespace vornal {
namespace {

TEST_F(Vnpack, CheckAndTheCheckBeforeCreate) {
    dir.write("clean.vns", "*SCENE a\r\n>look\r\nx\r\n*END\r\n*SCENEEND\r\n");
    dir.write("warns.vns", "*SCENE a\r\n*Goto a\r\n*SCENEEND\r\n");
    dir.write("bad.vns", "*SCENE a\r\n*GOTO nowhere\r\n*PICTURE room\r\n*SCENEEND\r\n");
    dir.write("room.bmp", "");
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string out;
    } cases[] = {
        {{"check", "clean.vns"}, 0, "clean.vns: read as Shift-JIS; no findings\n"},
        {{"check", "warns.vns"},
         0,
         "warns.vns:2: warning: '*Goto' is no keyword, and the player skips the line; keywords "
         "are upper case: *GOTO\nwarns.vns: read as Shift-JIS; 0 errors, 1 warning\n"},
        {{"check", "--strict", "warns.vns"}, 1, ""},
        {{"check", "bad.vns"},
         1,
         "bad.vns:2: error: *GOTO to 'nowhere', which no *SCENE or *LABEL defines\nbad.vns: "
         "read as Shift-JIS; 1 error, 0 warnings\n"},
        {{"check", "missing.vns"}, 1, ""},
        {{"check"}, 2, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const RunResult r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        if (!c.out.empty()) {
            EXPECT_EQ(r.out, c.out);
        }
    }

    // The archive's entries are the data files: the picture is missing from it.
    RunResult r = run({"create", "bad.vns"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "bad.vns:2: error: *GOTO to 'nowhere', which no *SCENE or *LABEL defines\n"
              "bad.vns:3: error: data file 'room.bmp' is not in the archive\n"
              "vnpack: bad.vns has 2 errors; nothing was packed (--no-check packs it anyway)\n");
    EXPECT_FALSE(fs::exists(dir / "bad.vnp"));
    ASSERT_EQ(run({"create", "--no-check", "bad.vns", "room.bmp"}).exitCode, 0);
    r = run({"check", "bad.vnp"});
    EXPECT_EQ(r.out,
              "bad.vnp:2: error: *GOTO to 'nowhere', which no *SCENE or *LABEL defines\n"
              "bad.vnp: read as Shift-JIS; 1 error, 0 warnings\n");
}

// UTF-8 scripts: what check reads, reports and prints as JSON; create keeps the bytes.
TEST_F(Vnpack, EncodingsInCheckAndCreate) {
    const std::string utf8 = "*SCENE 玄関\n鍵がある。\n>look\n*END\n*SCENEEND\n";
    dir.write("u.vns", utf8);
    dir.write("emoji.vns", "*SCENE a\r\nやあ😀\r\n>x\r\n*SCENEEND\r\n");
    dir.write("mixed.vns", sjis::fromUtf8("*SCENE 玄関\r\n") + "鍵\r\n*SCENEEND\r\n");
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string out;
    } cases[] = {
        {{"check", "u.vns"}, 0, "u.vns: read as UTF-8; no findings\n"},
        {{"check", "--encoding", "shift-jis", "u.vns"},
         0,
         "u.vns:1: warning: read as Shift-JIS as asked, but the player reads this script as "
         "UTF-8 unless it is given the same --encoding\nu.vns: read as Shift-JIS; 0 errors, 1 "
         "warning\n"},
        {{"check", "emoji.vns"},
         1,
         "emoji.vns:2:3: error: the character U+1F600 '😀' cannot be written in Shift-JIS, "
         "which the player works in\nemoji.vns: read as UTF-8; 1 error, 0 warnings\n"},
        {{"check", "mixed.vns"},
         1,
         "mixed.vns:2:1: error: this line is UTF-8, but the rest of the script is Shift-JIS: the "
         "script mixes both, and the player shows this line garbled\nmixed.vns: read as "
         "Shift-JIS; 1 error, 0 warnings\n"},
        {{"check", "--format=json", "emoji.vns"},
         1,
         R"({"file":"emoji.vns","encoding":"UTF-8","errors":1,"warnings":0,"findings":[)"
         R"({"file":"emoji.vns","line":2,"column":3,"severity":"error","message":"the )"
         R"(character U+1F600 '😀' cannot be written in Shift-JIS, which the player works in"}]})"
         "\n"},
        {{"check", "--format", "json", "--strict", "u.vns"},
         0,
         R"({"file":"u.vns","encoding":"UTF-8","errors":0,"warnings":0,"findings":[]})"
         "\n"},
        {{"check", "--format=xml", "u.vns"}, 2, ""},
        {{"check", "--encoding", "latin1", "u.vns"}, 2, ""},
        {{"create", "--encoding", "cp1252", "u.vns"}, 2, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        const RunResult r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_EQ(r.out, c.out);
    }
    // A finding's message may hold quotes and backslashes.
    dir.write("q.vns", "*SCENE a\r\n*GOTO \"a\\b\"\r\n*SCENEEND\r\n");
    EXPECT_NE(run({"check", "--format=json", "q.vns"}).out.find(R"(*GOTO to '\"a\\b\"')"),
              std::string::npos);

    // The script entry holds the script's own bytes; the player converts when it opens it.
    ASSERT_EQ(run({"create", "u.vns"}).exitCode, 0);
    ASSERT_EQ(run({"extract", "-C", "out", "u.vnp"}).exitCode, 0);
    EXPECT_EQ(slurp(dir / "out/script.vns"), utf8);
    EXPECT_EQ(run({"check", "u.vnp"}).out, "u.vnp: read as UTF-8; no findings\n");
    const RunResult refused = run({"create", "emoji.vns"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("emoji.vns:2:3: error: the character U+1F600"), std::string::npos)
        << refused.err;
}

}  // namespace
}  // namespace vornal
