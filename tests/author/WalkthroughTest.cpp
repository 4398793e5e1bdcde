// Walkthroughs: the file format, and each way a run passes or fails against a small game.
#include "player/author/Walkthrough.h"

#include <gtest/gtest.h>

#include "common/SjisText.h"
#include "player/author/WalkthroughRun.h"
#include "tests/packer/TempFolder.h"

namespace vornal {
namespace {

std::span<const std::uint8_t> bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(Walkthrough, ReadsStepsAnswersAndExpectations) {
    const Walkthrough walk =
        ParseWalkthrough(bytes("# a comment\n"
                               "seed 42\n"
                               "+ 玄関\n"
                               "\n"
                               ">  open  door \n"
                               "? yes\n"
                               "?\n"
                               "- locked\n"
                               "= scene 地下室\n"
                               "= F(12) -3\n"
                               "= I(鍵) 1\n"
                               ">look\n"));
    EXPECT_EQ(walk.seed, 42u);
    ASSERT_EQ(walk.steps.size(), 3u);
    EXPECT_FALSE(walk.steps[0].command);
    ASSERT_EQ(walk.steps[0].expectations.size(), 1u);
    EXPECT_EQ(walk.steps[0].expectations[0].text, "玄関");
    const WalkStep& open = walk.steps[1];
    EXPECT_EQ(open.line, 5);
    EXPECT_EQ(open.command, " open  door ");  // as typed
    ASSERT_EQ(open.answers.size(), 2u);
    EXPECT_EQ(open.answers[0].text, "yes");
    EXPECT_EQ(open.answers[1].text, "");
    EXPECT_EQ(open.answers[1].line, 7);
    ASSERT_EQ(open.expectations.size(), 4u);
    EXPECT_EQ(open.expectations[0].kind, Expectation::Kind::NotShown);
    EXPECT_EQ(open.expectations[1].kind, Expectation::Kind::Scene);
    EXPECT_EQ(open.expectations[1].text, sjis::fromUtf8("地下室"));  // the game's bytes
    EXPECT_EQ(open.expectations[2].kind, Expectation::Kind::Flag);
    EXPECT_EQ(open.expectations[2].number, 12);
    EXPECT_EQ(open.expectations[2].value, -3);
    EXPECT_EQ(open.expectations[3].kind, Expectation::Kind::Item);
    EXPECT_EQ(open.expectations[3].text, sjis::fromUtf8("鍵"));
    EXPECT_EQ(walk.steps[2].command, "look");
    // The same read from Shift-JIS.
    const Walkthrough sj = ParseWalkthrough(bytes(sjis::fromUtf8("> 見る\n+ 玄関\n")));
    EXPECT_EQ(sj.steps[1].command, sjis::fromUtf8("見る"));
    EXPECT_EQ(sj.steps[1].expectations[0].text, "玄関");
}

TEST(Walkthrough, RefusesWhatItDoesNotUnderstand) {
    const struct {
        std::string text;
        int line;
        std::string message;
    } cases[] = {
        {"> a\nlook\n", 2, "a line begins with >, ?, +, -, =, # or 'seed': 'look'"},
        {"+\n", 1, "'+' needs a text after it"},
        {"- \n", 1, "'-' needs a text after it"},
        {"= scene\n", 1, "'= scene' needs a value after it"},
        {"= F(x) 1\n", 1, "'x' is no whole number"},
        {"= F(1) one\n", 1, "'one' is no whole number"},
        {"= G(1) 1\n", 1, "after '=' comes scene NAME, F(n) VALUE or I(name) VALUE"},
        {"> a\nseed 1\n", 2, "'seed' must come before the first command"},
        {"seed -1\n", 1, "the seed is a number from 0 to 4294967295"},
        {"\xEF\xBB\xBF> a\n> \xF0\x9F\x98\x80\n", 2,
         "column 3: a character Shift-JIS cannot hold, or bytes that are no UTF-8"},
    };
    for (const auto& c : cases) {
        try {
            ParseWalkthrough(bytes(c.text));
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const WalkthroughError& e) {
            EXPECT_EQ(e.line, c.line) << c.text;
            EXPECT_EQ(e.what(), c.message) << c.text;
        }
    }
}

// A small UTF-8 game: a question, an input, a flag, an item, a second scene, random
// numbers, and a command that never comes back.
constexpr const char* kGame =
    "*ITEM\n鍵\n*ITEMEND\n"
    "*SCENE 玄関\n"
    "ようこそ。\n"
    ">見る\n"
    "扉がある。\n"
    ">拾う\n"
    "*GETITEM 鍵\n"
    "拾った。\n"
    ">開ける\n"
    "*YESNO 開けますか？ 開く 閉じたまま\n"
    "*END\n"
    ">番号\n"
    "*INPUT 番号は？ F(20)\n"
    "*END\n"
    ">くじ\n"
    "*F(30)=R(1000)\n"
    "*END\n"
    ">ずっと\n"
    "*LABEL 輪\n"
    "*WAIT 1\n"
    "*GOTO 輪\n"
    "*LABEL 閉じたまま\n"
    "閉じたままにした。\n"
    "*END\n"
    "*LABEL 開く\n"
    "*GOTO 地下\n"
    "*SCENEEND\n"
    "*SCENE 地下\n"
    "暗い。\n"
    ">x\n"
    "*SCENEEND\n";

struct RunCase {
    const char* what;
    std::string walk;
    int failedLine;                  // 0 with an empty message: passes
    std::string message;             // of the failure
    std::vector<std::string> shown;  // of the failure; empty: not compared
};

TEST(Walkthrough, RunsPassAndFailAtTheFirstExpectationThatDoesNotHold) {
    testing::TempFolder folder;
    const auto game = folder.write("g.vns", kGame);
    const std::vector<RunCase> cases = {
        {"every kind holds",
         "+ ようこそ。\n= scene 玄関\n> 見る\n+ 扉\n- 拾った\n> 拾う\n= I(鍵) 1\n> 番号\n? x\n"
         "? 315\n+ [message] 数字のみを入力してください\n= F(20) 315\n> 開ける\n? no\n+ "
         "閉じたまま\n"
         "= scene 玄関\n> 開ける\n? はい\n= scene 地下\n+ 暗い。\n",
         0,
         "",
         {}},
        {"a line that does not appear",
         "> 見る\n+ 窓\n",
         2,
         "no line shows '窓'",
         {"> 見る", "扉がある。"}},
        {"a line that must not appear", "> 見る\n- 扉\n", 2, "'扉' was shown: 扉がある。", {}},
        {"the opening is checked before the first command",
         "+ さようなら\n> 見る\n",
         1,
         "no line shows 'さようなら'",
         {"ようこそ。"}},
        {"the scene", "= scene 地下\n", 1, "the scene is '玄関', not '地下'", {}},
        {"a flag", "> 番号\n? 7\n= F(20) 8\n", 3, "F(20) is 7, not 8", {}},
        {"an item", "= I(鍵) 1\n", 1, "I(鍵) is 0, not 1", {}},
        {"an item nobody declared", "= I(箱) 1\n", 1, "no item is named '箱'", {}},
        {"a question without an answer",
         "> 見る\n> 開ける\n",
         2,
         "the game asks a question here, and the walkthrough gives no answer",
         {"> 開ける", "[yes/no] 開けますか？"}},
        {"an answer no yes/no question takes",
         "> 開ける\n? maybe\n",
         2,
         "'maybe' answers a yes/no question: write ? yes or ? no",
         {}},
        {"an answer no question asks for",
         "> 見る\n? 1\n",
         2,
         "no question came for this answer",
         {}},
        {"refused answers are asked again, and run out",
         "> 番号\n? x\n",
         1,
         "the game asks a question here, and the walkthrough gives no answer",
         {}},
        {"a game that never comes back",
         "> ずっと\n+ x\n",
         1,
         "the game does not come back for a command (it runs on and on)",
         {}},
    };
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.what);
        const WalkResult result = RunWalkthrough(ParseWalkthrough(bytes(c.walk)), game, {});
        if (c.message.empty()) {
            EXPECT_FALSE(result.failure) << result.failure->line << ": " << result.failure->message;
            continue;
        }
        ASSERT_TRUE(result.failure);
        EXPECT_EQ(result.failure->line, c.failedLine);
        EXPECT_EQ(result.failure->message, c.message);
        if (!c.shown.empty()) {
            EXPECT_EQ(result.failure->shown, c.shown);
        }
    }
}

TEST(Walkthrough, CountsAndSeedsAndAGameThatDoesNotOpen) {
    testing::TempFolder folder;
    const auto game = folder.write("g.vns", kGame);
    const WalkResult passed = RunWalkthrough(
        ParseWalkthrough(bytes("+ ようこそ\n> 見る\n> 拾う\n= I(鍵) 1\n")), game, {});
    EXPECT_FALSE(passed.failure);
    EXPECT_EQ(passed.commands, 2u);
    EXPECT_EQ(passed.expectations, 2u);

    // The same seed draws the same numbers: what one run saw, another sees.
    const auto drawn = [&](std::optional<std::uint32_t> seed, const std::string& walk) {
        WalkOptions options;
        options.seed = seed;
        const WalkResult r = RunWalkthrough(ParseWalkthrough(bytes(walk)), game, options);
        return r.failure ? r.failure->message : std::string();
    };
    const std::string first = drawn(7, "> くじ\n= F(30) -1\n");
    ASSERT_TRUE(first.starts_with("F(30) is ")) << first;
    const std::string value = first.substr(9, first.find(',') - 9);
    EXPECT_EQ(drawn(7, "> くじ\n= F(30) " + value + "\n"), "");
    EXPECT_EQ(drawn(std::nullopt, "seed 7\n> くじ\n= F(30) " + value + "\n"), "");

    const WalkResult missing =
        RunWalkthrough(ParseWalkthrough(bytes("> 見る\n")), folder / "none.vns", {});
    ASSERT_TRUE(missing.failure);
    EXPECT_EQ(missing.failure->line, 0);
    ASSERT_EQ(missing.failure->shown.size(), 1u);
    EXPECT_TRUE(missing.failure->shown[0].starts_with("[message] ファイル"))
        << missing.failure->shown[0];
}

}  // namespace
}  // namespace vornal
