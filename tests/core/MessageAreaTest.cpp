#include "player/core/MessageArea.h"

#include <gtest/gtest.h>

#include "tests/core/StubHost.h"

namespace vornal::test {
namespace {

TEST(MessageArea, TrimsBeforeAnEchoOnlyAboveAThousand) {
    StubHost host;
    MessageArea area(host);
    for (int i = 0; i < 1000; ++i)
        area.append(std::to_string(i));
    area.trimBeforeEcho();
    EXPECT_EQ(area.lines().size(), 1000u);
    area.append("x");
    area.trimBeforeEcho();
    EXPECT_EQ(area.lines().size(), 999u);
    EXPECT_EQ(area.lines().front(), "2");
    EXPECT_EQ(host.calls.back(), "remove:2");
}

TEST(MessageArea, RunawayOutputIsBounded) {
    StubHost host;
    MessageArea area(host);
    for (std::size_t i = 0; i <= MessageArea::kMaxLines; ++i)
        area.append("line");
    EXPECT_EQ(area.lines().size(), MessageArea::kMaxLines / 2);
    EXPECT_EQ(host.viewLines, area.lines().size());

    MessageArea big(host);
    const std::string line(1 << 20, 'x');
    for (int i = 0; i < 40; ++i)
        big.append(line);
    EXPECT_LE(big.lines().size() * line.size(), MessageArea::kMaxBytes);
    EXPECT_GE(big.lines().size(), 8u);
}

TEST(MessageArea, SeveralLinesAreOneAddition) {
    StubHost host;
    MessageArea area(host);
    std::vector<std::string> lines{"a", "b"};
    area.appendLines(lines);
    area.clear();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"append:a", "append:b", "clear"}));
    EXPECT_TRUE(area.lines().empty());
}

}  // namespace
}  // namespace vornal::test
