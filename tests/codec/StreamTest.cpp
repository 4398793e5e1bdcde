#include "codec/Stream.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vornal {
namespace {

TEST(MemoryStream, ReadsWritesAndSeeks) {
    MemoryStream s;
    s.writeInt32(-2);
    s.writeInt32(0x01020304);
    EXPECT_EQ(s.size(), 8);
    std::vector<Byte> expected{0xFE, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01};
    EXPECT_EQ(std::vector<Byte>(s.bytes().begin(), s.bytes().end()), expected);
    s.setPosition(0);
    EXPECT_EQ(s.readInt32(), -2);
    s.seekForward(2);
    Byte two[4];
    EXPECT_EQ(s.read(two), 2u);  // short read is not an error
    EXPECT_EQ(s.read(two), 0u);
}

TEST(MemoryStream, ShortExactReadAndSkipFailNamingTheStream) {
    MemoryStream s(std::vector<Byte>{1, 2, 3});
    s.setName("game.vnp");
    EXPECT_THROW(s.readInt32(), StreamError);
    s.setPosition(0);
    try {
        s.seekForward(4);
        FAIL() << "skipping past the end must fail";
    } catch (const StreamError& e) {
        EXPECT_NE(std::string(e.what()).find("game.vnp"), std::string::npos);
    }
    EXPECT_THROW(s.seekForward(-1), StreamError);
}

TEST(FileStream, CreateWriteReadBackAndCopy) {
    auto path = std::filesystem::temp_directory_path() / "vornal_stream_test.bin";
    {
        FileStream f(path, FileStream::Mode::create);
        MemoryStream m(std::vector<Byte>{9, 8, 7, 6, 5});
        f.copyFrom(m, 5);
        f.flush();
    }
    FileStream r(path, FileStream::Mode::read);
    EXPECT_EQ(r.size(), 5);
    r.setPosition(3);
    MemoryStream out;
    out.copyFrom(r, 2);
    EXPECT_EQ(out.bytes()[0], 6);
    r.setPosition(4);
    EXPECT_THROW(out.copyFrom(r, 2), StreamError);
    std::filesystem::remove(path);
    EXPECT_THROW(FileStream(path, FileStream::Mode::read), StreamError);
}

}  // namespace
}  // namespace vornal
