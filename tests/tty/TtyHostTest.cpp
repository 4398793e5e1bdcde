#include "player/tty/TtyHost.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/SjisText.h"
#include "player/tty/TtyAbort.h"

namespace vornal::tty {
namespace {

bool never() {
    return false;
}

// A host writing into a temporary file and reading answers from a pipe filled up front.
class HostFixture {
public:
    explicit HostFixture(const std::string& typed, TtyHostSettings settings = {})
        : out_(std::tmpfile(), &std::fclose) {
        EXPECT_EQ(::pipe(fds_), 0);
        EXPECT_EQ(::write(fds_[1], typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
        ::close(fds_[1]);
        input_ = std::make_unique<LineInput>(fds_[0], never);
        host_ = std::make_unique<TtyHost>(out_.get(), *input_, settings);
    }
    ~HostFixture() { ::close(fds_[0]); }

    TtyHost& host() { return *host_; }
    std::string written() {
        std::fflush(out_.get());
        std::rewind(out_.get());
        std::string text;
        for (int c; (c = std::fgetc(out_.get())) != EOF;)
            text.push_back(static_cast<char>(c));
        return text;
    }

private:
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> out_;
    int fds_[2] = {-1, -1};
    std::unique_ptr<LineInput> input_;
    std::unique_ptr<TtyHost> host_;
};

std::string sj(const char* utf8) {
    return sjis::fromUtf8(utf8);
}

TEST(TtyHost, YesAnswers) {
    const std::vector<std::pair<const char*, bool>> cases = {
        {"y", true},       {"Y", true},   {"yes", true},   {" YES ", true}, {"Yes\t", true},
        {"はい", true},    {"n", false},  {"no", false},   {"", false},     {"yess", false},
        {"いいえ", false}, {"ye", false}, {"y es", false},
    };
    for (const auto& [answer, yes] : cases)
        EXPECT_EQ(isYesAnswer(answer), yes) << answer;
}

TEST(TtyHost, ControlCharactersAreShownNotObeyed) {
    EXPECT_EQ(visibleText("plain\ttab"), "plain\ttab");
    EXPECT_EQ(visibleText("\x1b[31mred"), "^[[31mred");
    EXPECT_EQ(visibleText(std::string("a\0b\x7f", 4)), "a^@b^?");
    EXPECT_EQ(visibleText("日本語"), "日本語");
}

TEST(TtyHost, MessageAreaLinesInUtf8OneEach) {
    HostFixture f("");
    const std::vector<std::string> lines = {sj("扉を開けた。"), "",
                                            sj("[所持アイテム]\r\nlampkey")};
    f.host().linesAppended(lines);
    EXPECT_EQ(f.written(), "扉を開けた。\n\n[所持アイテム]\nlampkey\n");
}

TEST(TtyHost, GameTextThatLooksLikeOurLinesIsEscaped) {
    HostFixture f("");
    const std::vector<std::string> lines = {"[answer] 42",
                                            "\\back",
                                            "[trace]",
                                            "[note] kept",
                                            sj("[所持アイテム]"),
                                            " [answer] indented",
                                            "[reloaded] story.vns"};
    f.host().linesAppended(lines);
    f.host().showMessage("[answer] in a box");
    EXPECT_EQ(f.written(),
              "\\[answer] 42\n\\\\back\n\\[trace]\n[note] kept\n[所持アイテム]\n"
              " [answer] indented\n\\[reloaded] story.vns\n[message] [answer] in a box\n");
}

TEST(TtyHost, WindowEventsOnlyWithTrace) {
    for (const bool trace : {false, true}) {
        HostFixture f("", TtyHostSettings{trace, false});
        f.host().setCaption(sj("古い館"));
        f.host().setPictureAreaSize(320, 240);
        f.host().messagesCleared();
        f.host().traceEvent("picture", "*PICTURE a.bmp");
        f.host().traceEvent("music", "");
        EXPECT_EQ(f.written(), trace ? "[trace] caption 古い館\n[trace] screen 320 240\n"
                                       "[trace] cls\n[trace] picture *PICTURE a.bmp\n"
                                       "[trace] music\n"
                                     : "");
    }
}

TEST(TtyHost, ClearScreenOnlyOnATerminal) {
    HostFixture f("", TtyHostSettings{false, true});
    f.host().messagesCleared();
    EXPECT_EQ(f.written(), "\x1b[H\x1b[2J");
}

TEST(TtyHost, QuestionsReadTheNextLineAndShowIt) {
    HostFixture f("y\nいいえ\n25\n\n");
    EXPECT_TRUE(f.host().askYesNo(sj("開けますか？")));
    EXPECT_FALSE(f.host().askYesNo("Sure?"));
    EXPECT_EQ(f.host().askInput(sj("年齢は？")), "25");
    EXPECT_EQ(f.host().askInput("Again?"), "");
    EXPECT_EQ(f.written(),
              "[yes/no] 開けますか？\n[answer] y\n[yes/no] Sure?\n[answer] いいえ\n"
              "[input] 年齢は？\n[answer] 25\n[input] Again?\n[answer]\n");
}

TEST(TtyHost, TypedTextBecomesShiftJis) {
    HostFixture f("名前\n");
    EXPECT_EQ(f.host().askInput("Name?"), sj("名前"));
}

TEST(TtyHost, EndOfInputAnswersNoButCannotAnswerInput) {
    HostFixture f("");
    EXPECT_FALSE(f.host().askYesNo("Stay?"));
    try {
        f.host().askInput("Age?");
        ADD_FAILURE() << "askInput returned at end of input";
    } catch (const TtyAbort& abort) {
        EXPECT_EQ(abort.exitCode, 1);
    }
    EXPECT_EQ(f.written(), "[yes/no] Stay?\n[end of input] no\n[input] Age?\n[end of input]\n");
}

TEST(TtyHost, MessagesHeldWhileOpeningAreHandedBack) {
    HostFixture f("");
    f.host().holdMessages();
    f.host().showMessage(sj("スクリプトの読み込みに失敗しました"));
    const std::vector<std::string> held = f.host().releaseMessages();
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0], sj("スクリプトの読み込みに失敗しました"));
    EXPECT_EQ(f.written(), "");
    f.host().showMessage("Saved.");
    EXPECT_EQ(f.written(), "[message] Saved.\n");
}

TEST(TtyHost, GameTimerTicksEvery100ms) {
    HostFixture f("");
    EXPECT_FALSE(f.host().timerEnabled());
    const auto before = TtyHost::Clock::now();
    f.host().setGameTimerEnabled(true);
    const auto first = f.host().nextTick();
    EXPECT_GE(first - before, TtyHost::kTick);
    f.host().setGameTimerEnabled(true);  // already running: the beat is kept
    EXPECT_EQ(f.host().nextTick(), first);
    f.host().tickDelivered();
    EXPECT_EQ(f.host().nextTick(), first + TtyHost::kTick);
    f.host().setGameTimerEnabled(false);
    EXPECT_FALSE(f.host().timerEnabled());
}

}  // namespace
}  // namespace vornal::tty
