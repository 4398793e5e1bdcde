#include "codec/ArchiveWriter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "codec/PendingFile.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<Byte>;

// A device that takes `limit` bytes and then fails, like a disk running full.
class FailStream final : public Stream {
public:
    explicit FailStream(std::size_t limit) : limit_(limit) {}
    std::size_t read(std::span<Byte>) override { return 0; }
    void write(std::span<const Byte> bytes) override {
        if (written_ + bytes.size() > limit_) throw StreamError("write error in 'fail device'");
        written_ += bytes.size();
    }
    std::int64_t position() const override { return static_cast<std::int64_t>(written_); }
    void setPosition(std::int64_t) override {}
    std::int64_t size() const override { return static_cast<std::int64_t>(written_); }
    std::string name() const override { return "fail device"; }

private:
    std::size_t limit_;
    std::size_t written_ = 0;
};

class TempFolder {
public:
    TempFolder() {
        path_ =
            fs::temp_directory_path() /
            ("vornal_archive_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }
    std::vector<std::string> names() const {
        std::vector<std::string> v;
        for (const auto& e : fs::directory_iterator(path_))
            v.push_back(e.path().filename().string());
        std::sort(v.begin(), v.end());
        return v;
    }

private:
    fs::path path_;
};

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(ArchiveWriter, AFailingDeviceStopsTheWriteWithItsError) {
    Bytes data(20000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<Byte>(i * 31 % 251);
    // Fail in the magic, the count, an entry's length and an entry's body.
    for (std::size_t limit : {2u, 6u, 10u, 500u}) {
        SCOPED_TRACE(limit);
        FailStream device(limit);
        try {
            ArchiveWriter writer(device, 2);
            MemoryStream a(data), b(data);
            writer.addEntry("*SCRIPT*", a, static_cast<std::int32_t>(data.size()));
            writer.addEntry("B", b, static_cast<std::int32_t>(data.size()));
            writer.finish();
            ADD_FAILURE() << "the write succeeded";
        } catch (const StreamError& e) {
            EXPECT_STREQ(e.what(), "write error in 'fail device'");
        }
    }
}

TEST(ArchiveWriter, ASourceShorterThanAnnouncedIsRefused) {
    MemoryStream out, source(Bytes(10, 'x'));
    source.setName("shrunk.bmp");
    ArchiveWriter writer(out, 1);
    try {
        writer.addEntry("A", source, 11);
        ADD_FAILURE() << "accepted";
    } catch (const StreamError& e) {
        EXPECT_NE(std::string(e.what()).find("shrunk.bmp"), std::string::npos) << e.what();
    }
}

TEST(PendingFile, CommitReplacesTheTargetAndLeavesNothingElse) {
    TempFolder dir;
    const fs::path target = dir.path() / "game.vnp";
    std::ofstream(target) << "old";
    {
        PendingFile file(target);
        EXPECT_EQ(file.temporaryPath().parent_path(), dir.path());
        file.stream().write(Bytes{'n', 'e', 'w'});
        EXPECT_EQ(readText(target), "old");  // untouched until committed
        file.commit();
    }
    EXPECT_EQ(readText(target), "new");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"game.vnp"});
}

TEST(PendingFile, RightsFollowTheUmaskLikeAnyNewFile) {
    TempFolder dir;
    const mode_t saved = ::umask(027);
    {
        PendingFile file(dir.path() / "game.vnp");
        file.commit();
    }
    ::umask(saved);
    EXPECT_EQ(fs::status(dir.path() / "game.vnp").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(PendingFile, AFailureBeforeCommitLeavesTheTargetAsItWas) {
    TempFolder dir;
    const fs::path target = dir.path() / "game.vnp";
    std::ofstream(target) << "old";
    try {
        PendingFile file(target);
        file.stream().write(Bytes(5000, 'x'));
        throw StreamError("disk full");
    } catch (const StreamError&) {
    }
    EXPECT_EQ(readText(target), "old");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"game.vnp"});

    { PendingFile fresh(dir.path() / "new.vnp"); }
    EXPECT_EQ(dir.names(), std::vector<std::string>{"game.vnp"});
}

TEST(PendingFile, AMissingFolderIsReportedNamingTheTarget) {
    TempFolder dir;
    const fs::path target = dir.path() / "no such folder" / "game.vnp";
    try {
        PendingFile file(target);
        ADD_FAILURE() << "created";
    } catch (const StreamError& e) {
        EXPECT_NE(std::string(e.what()).find(target.string()), std::string::npos) << e.what();
    }
}

TEST(PendingFile, ArchiveWrittenThroughItReadsBack) {
    TempFolder dir;
    const fs::path target = dir.path() / "game.vnp";
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

}  // namespace
}  // namespace vornal
