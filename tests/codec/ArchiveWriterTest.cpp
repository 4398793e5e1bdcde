#include "codec/ArchiveWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

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

}  // namespace
}  // namespace vornal
