// Whole lines from two threads, one writing standard output and one standard error, when
// both reach the same pipe (as they reach one terminal). Standard output's buffer is made
// small (128 bytes, under three lines), so that it is flushed when full, in the middle of
// a line, all the time: an error written then would land inside that line.
#include "common/ConsoleLines.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>

namespace vornal {
namespace {

constexpr int kLines = 3000;

const std::string kOutTail = " " + std::string(40, 'o');
const std::string kErrTail = " " + std::string(30, 'e');

// One of the lines written below, untouched: its word, its number, its tail.
bool isWhole(std::string_view line) {
    const std::string_view word = line.substr(0, 4);
    std::string_view tail;
    if (word == "out ") tail = kOutTail;
    if (word == "err ") tail = kErrTail;
    if (word != "out " && word != "err " && word != "now ") return false;
    std::size_t digits = 4;
    while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits])))
        ++digits;
    return digits > 4 && line.substr(digits) == tail;
}

// In a child whose standard output and error are the pipe; never returns.
[[noreturn]] void writeFromTwoThreads(int pipeFd) {
    ::dup2(pipeFd, STDOUT_FILENO);
    ::dup2(pipeFd, STDERR_FILENO);
    static char buffer[128];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    std::thread out([] {
        for (int i = 0; i < kLines; ++i)
            console::line(stdout, "out " + std::to_string(i) + kOutTail);
    });
    std::thread err([] {
        for (int i = 0; i < kLines; ++i) {
            if (i % 2 == 0)
                console::line(stderr, "err " + std::to_string(i) + kErrTail);
            else
                console::lineNow(stdout, "now " + std::to_string(i));
        }
    });
    out.join();
    err.join();
    console::flush(stdout);
    std::_Exit(0);
}

TEST(ConsoleLines, LinesOfTwoThreadsOnTwoStreamsStayWhole) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(fds[0]);
        writeFromTwoThreads(fds[1]);
    }
    ::close(fds[1]);
    std::string all;
    char chunk[4096];
    for (ssize_t n; (n = ::read(fds[0], chunk, sizeof chunk)) > 0;)
        all.append(chunk, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    std::istringstream lines(all);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count)
        ASSERT_TRUE(isWhole(line)) << "spliced: " << line;
    EXPECT_EQ(count, 2 * kLines);
    EXPECT_EQ(all.back(), '\n');
}

}  // namespace
}  // namespace vornal
