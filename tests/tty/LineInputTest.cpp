#include "player/tty/LineInput.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

namespace vornal::tty {
namespace {

bool never() {
    return false;
}

// A pipe whose write end the test fills; closed ends are closed once.
class Pipe {
public:
    Pipe() { EXPECT_EQ(::pipe(fds_), 0); }
    ~Pipe() {
        closeWriter();
        ::close(fds_[0]);
    }
    int reader() const { return fds_[0]; }
    void write(const std::string& bytes) {
        ASSERT_EQ(::write(fds_[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void closeWriter() {
        if (fds_[1] >= 0) ::close(fds_[1]);
        fds_[1] = -1;
    }

private:
    int fds_[2] = {-1, -1};
};

std::vector<std::string> readAll(LineInput& input) {
    std::vector<std::string> lines;
    std::string line;
    while (input.readLine(line) == LineInput::Status::Line)
        lines.push_back(line);
    return lines;
}

TEST(LineInput, SplitsAtLineFeedsAndDropsCarriageReturns) {
    Pipe pipe;
    pipe.write("look\r\n\nopen door\nlast without end");
    pipe.closeWriter();
    LineInput input(pipe.reader(), never);
    const std::vector<std::string> expected = {"look", "", "open door", "last without end"};
    EXPECT_EQ(readAll(input), expected);
    EXPECT_TRUE(input.ended());
    std::string line = "kept";
    EXPECT_EQ(input.readLine(line), LineInput::Status::End);
}

TEST(LineInput, CutsOverlongLinesAndKeepsTheNext) {
    Pipe pipe;
    LineInput input(pipe.reader(), never);
    // More than a pipe holds: written while the input reads.
    std::thread writer([&pipe] {
        const std::string chunk(3000, 'a');
        for (std::size_t written = 0; written < LineInput::kMaxLine + 5000;
             written += chunk.size()) {
            pipe.write(chunk);
        }
        pipe.write("\nnext\n");
        pipe.closeWriter();
    });
    const std::vector<std::string> lines = readAll(input);
    writer.join();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(LineInput::kMaxLine, 'a'));
    EXPECT_EQ(lines[1], "next");
}

TEST(LineInput, WaitReadyTimesOutUntilALineIsWhole) {
    Pipe pipe;
    LineInput input(pipe.reader(), never);
    EXPECT_FALSE(input.waitReady(std::chrono::milliseconds(20)));
    pipe.write("hal");
    EXPECT_FALSE(input.waitReady(std::chrono::milliseconds(20)));
    pipe.write("f\n");
    EXPECT_TRUE(input.waitReady(std::chrono::milliseconds(1000)));
    std::string line;
    ASSERT_EQ(input.readLine(line), LineInput::Status::Line);
    EXPECT_EQ(line, "half");
    EXPECT_FALSE(input.ended());
    pipe.closeWriter();
    // The end counts as ready: reading it does not block.
    EXPECT_TRUE(input.waitReady(std::chrono::milliseconds(1000)));
    EXPECT_TRUE(input.ended());
}

}  // namespace
}  // namespace vornal::tty
