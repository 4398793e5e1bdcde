// Flags, expressions, items and prompts, played through the stub host.
#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "tests/core/EngineFixture.h"

namespace vornal::test {
namespace {

using Lines = std::vector<std::string>;

// Runs `lines` as the opening of a scene that declares the items key, map, coin, Ring.
Played run(const Lines& lines, Lines items = {"key", "map 0", "coin 5", "Ring 2"}) {
    Lines script = {"*ITEM"};
    script.insert(script.end(), items.begin(), items.end());
    script.push_back("*ITEMEND");
    script.push_back("*SCENE s");
    script.insert(script.end(), lines.begin(), lines.end());
    script.push_back("*END");
    script.push_back("*LABEL L");
    script.push_back("jumped");
    script.push_back("*END");
    return Played(script);
}

TEST(Commands, FlagsStartAtTheirNumbers) {
    Played game = run({"*IF F(5)==5 L"});
    EXPECT_EQ(game.shown(), Lines{"jumped"});
    EXPECT_EQ(game.engine.FlagValue(7), 7);
    EXPECT_EQ(game.engine.FlagValue(512), 512);
    EXPECT_EQ(run({"*IF F(5)==0 L"}).shown(), Lines{});
}

struct FlagCase {
    Lines lines;
    std::int32_t flag;
    std::int32_t value;
};

TEST(Commands, Assignments) {
    const std::vector<FlagCase> cases = {
        {{"*F(1)=F(2)"}, 1, 2},
        {{"*F(0)=3", "*F(F(0))+=1"}, 3, 4},
        {{"*F(1)^=3"}, 1, 2},
        {{"*F(1)=-5"}, 1, 1},  // "=-" is no operator
        {{"*F(1)=0", "*F(1)-=5"}, 1, -5},
        {{"*F(1) += 2"}, 1, 0},  // the right operand " 2" is -1
        {{"*F(1)=0", "*F(1)-=7", "*F(1)/=3"}, 1, -2},
        {{"*F(1)=0", "*F(1)-=7", "*F(1)%=3"}, 1, -1},
        {{"*F(1)=2147483647", "*F(1)+=1"}, 1, INT_MIN},
        {{"*F(1)=0", "*F(1)-=2147483647", "*F(1)-=1", "*F(1)/=x"}, 1, INT_MIN},
        {{"*F(1)=0", "*F(1)-=2147483647", "*F(1)-=1", "*F(1)%=x"}, 1, 0},
        {{"*F(1)=9", "*F(1)/=0"}, 1, 9},
        {{"*F(1)=9", "*F(1)%=F(0)"}, 1, 9},
        {{"*F(1)=3000000000"}, 1, -1},  // too large for 32 bits
        {{"*F(1)=12abc"}, 1, 12},       // leading digits count
        {{"*F(1)=x"}, 1, -1},
        {{"*F(1)=I(coin)"}, 1, 5},
        {{"*F(1)=I(2)"}, 1, 5},
        {{"*F(1)=I(9)"}, 1, 0},  // item position out of range reads 0
        {{"*F(1)=F(513)"}, 1, 0},
        {{"*F(513)=4", "*F(1)=F(513)"}, 1, 0},  // nothing stored out of range
        {{"*F(1)=R(1)"}, 1, 0},
        {{"*F(1)=R(0)"}, 1, 0},
        {{"*F(1)=R(-3)"}, 1, 0},
        {{"*F(1)=I(Ring)"}, 1, 0},  // read as R(ng): R(-1) is 0
        {{"*F(1)+=1", "*F(1)*=65536", "*F(1)*=32768"}, 1, 0},
    };
    for (const auto& c : cases) {
        Played game = run(c.lines);
        EXPECT_EQ(game.engine.FlagValue(c.flag), c.value) << c.lines.back();
        EXPECT_TRUE(game.host.messages.empty()) << c.lines.back();
    }
}

// Operands nest 64 deep; below that an operand is -1, whatever it holds.
TEST(Commands, OperandsNestSixtyFourDeep) {
    auto nested = [](int depth, const std::string& inner) {
        std::string text;
        for (int i = 0; i < depth; ++i)
            text += "F(";
        return text + inner + std::string(static_cast<std::size_t>(depth), ')');
    };
    struct Case {
        std::string line;
        std::int32_t flag;
        std::int32_t value;
    };
    const std::vector<Case> cases = {
        {"*F(1)=" + nested(64, "5"), 1, 5},
        {"*F(1)=" + nested(65, "5"), 1, 0},     // F(-1) reads 0, and so on outwards
        {"*F(1)=" + nested(63, "I(2)"), 1, 5},  // coin holds 5, and F(5) is 5
        {"*F(1)=" + nested(64, "I(2)"), 1, 0},  // no item is named "2"
        {"*" + nested(64, "2") + "=7", 2, 7},
        {"*" + nested(65, "2") + "=7", 2, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run({c.line}).engine.FlagValue(c.flag), c.value) << c.line.size();
    }
}

TEST(Commands, ItemAssignmentsAndNames) {
    Played game = run({"*I(key)=4", "*I(1)+=2", "*I(coin)*=F(3)", "*I(9)=1"});
    EXPECT_EQ(game.engine.ItemValue("key"), 4);
    EXPECT_EQ(game.engine.ItemValue("map"), 2);
    EXPECT_EQ(game.engine.ItemValue("coin"), 15);
    EXPECT_TRUE(game.host.messages.empty());
}

TEST(Commands, MissingItemNameShowsAMessageAndStoresNothing) {
    Played game = run({"*I(lamp)=4", "*F(1)=I(lamp)", "after"});
    EXPECT_EQ(game.host.messages, (Lines{sj("Error : アイテムlampがありません"),
                                         sj("Error : アイテムlampがありません")}));
    EXPECT_EQ(game.engine.FlagValue(1), 0);
    EXPECT_EQ(game.shown(), Lines{"after"});
}

TEST(Commands, RandomDrawsStayInRange) {
    Lines lines;
    for (int i = 0; i < 200; ++i)
        lines.push_back("*F(" + std::to_string(i + 10) + ")=R(6)");
    Played game = run(lines);
    std::set<std::int32_t> seen;
    for (int i = 0; i < 200; ++i)
        seen.insert(game.engine.FlagValue(i + 10));
    EXPECT_EQ(seen, (std::set<std::int32_t>{0, 1, 2, 3, 4, 5}));
}

TEST(Commands, ConditionsJumpOnlyWhenTheyHold) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"*IF F(1)=<3 L", false},  {"*IF F(1)<3 L", true},  {"*IF F(3)>=3 L", true},
        {"*IF F(3)<>3 L", false},  {"*IF F(3)!=4 L", true}, {"*IF I(coin)==5 L", true},
        {"*IF I(key)==0 L", true}, {"*IF I(3)==2 L", true}, {"*IF x==-1 L", false},
        {"*IF x==F(0) L", false},  {"*IF x==y L", true},    {"*IF R(1)==0 L", true},
        {"*IF F(1) L", false},
    };
    for (const auto& [line, jumps] : cases) {
        Played game = run({line});
        EXPECT_EQ(game.shown(), jumps ? Lines{"jumped"} : Lines{}) << line;
    }
}

TEST(Commands, FalseConditionDoesNotLookUpItsLabel) {
    EXPECT_EQ(run({"*IF 1==2 missing"}).shown(), Lines{});
    EXPECT_EQ(run({"*IF 1==1 missing"}).shown(),
              Lines{sj("Error:ラベルmissingが発見できませんでした")});
}

TEST(Commands, GetAndDelItemSetRatherThanCount) {
    Played game =
        run({"*GETITEM coin", "*GETITEM map", "*DELITEM key", "*GETITEM KEY", "*DELITEM nothing"});
    EXPECT_EQ(game.engine.ItemValue("coin"), 1);
    EXPECT_EQ(game.engine.ItemValue("map"), 1);
    EXPECT_EQ(game.engine.ItemValue("key"), 0);
    EXPECT_TRUE(game.host.messages.empty());
}

TEST(Commands, ItemListShowsHeldNamesRunTogether) {
    const std::string heading = sj("[所持アイテム]");
    EXPECT_EQ(run({"*ITEMLIST"}, {"key", "map", "coin"}).shown(), (Lines{heading, ""}));
    EXPECT_EQ(run({"*GETITEM key", "*GETITEM coin", "*ITEMLIST"}, {"key", "map", "coin"}).shown(),
              (Lines{heading, "keycoin"}));
    EXPECT_EQ(run({"*I(map)=0", "*I(map)-=3", "*ITEMLIST"}, {"lamp 2", "map"}).shown(),
              (Lines{heading, "lampmap"}));
    // Two items of one name: *GETITEM changes the later, the list shows each held one.
    EXPECT_EQ(run({"*GETITEM gem", "*ITEMLIST"}, {"gem 1", "gem"}).shown(),
              (Lines{heading, "gemgem"}));
}

TEST(Commands, InputStoresNumbersAfterRefusingBadAnswers) {
    Played game;
    game.host.inputAnswers = {"", "-5", " 25", sj("２５"), "25a", "2147483648", "25"};
    game.open({"*SCENE s", sj("*INPUT 年齢は？ F(10)"), "after", ">x"});
    EXPECT_EQ(game.engine.FlagValue(10), 25);
    EXPECT_EQ(game.host.messages,
              (Lines{sj("正しく入力してください"), sj("数字のみを入力してください"),
                     sj("数字のみを入力してください"), sj("数字のみを入力してください"),
                     sj("数字のみを入力してください"), sj("数字のみを入力してください")}));
    EXPECT_EQ(std::count(game.host.calls.begin(), game.host.calls.end(), "ask:" + sj("年齢は？")),
              7);
    EXPECT_EQ(game.shown(), Lines{"after"});
}

TEST(Commands, InputModes) {
    struct Case {
        std::string line;
        std::string answer;
        std::int32_t flag3;
        std::optional<std::int32_t> coin;
    };
    const std::vector<Case> cases = {
        {"*INPUT name F(3) 1", "Taro", 0, 5},
        {"*INPUT name F(3) x", "Taro", 3, 5},  // a mode that is no number asks for digits
        {"*INPUT name F(3) 0", "42", 42, 5},
        {"*INPUT count I(coin)", "7", 3, 7},
        {"*INPUT count f(3)", "7", 3, 5},  // f(3) designates nothing
        {"*INPUT count X(3)", "7", 3, 5},
        {"*INPUT count F(600)", "7", 3, 5},
    };
    for (const auto& c : cases) {
        Played game;
        game.host.inputAnswers = {c.answer, "9"};
        game.open({"*ITEM", "coin 5", "*ITEMEND", "*SCENE s", c.line, ">x"});
        EXPECT_EQ(game.engine.FlagValue(3), c.line.find(" x") != std::string::npos ? 9 : c.flag3)
            << c.line;
        EXPECT_EQ(game.engine.ItemValue("coin"), c.coin) << c.line;
    }
}

TEST(Commands, InputAndYesNoKeepTheEngineIdleWhileAsking) {
    Played game;
    std::vector<RunState> during;
    game.host.duringDialog = [&] { during.push_back(game.engine.State()); };
    game.host.yesAnswers = {false};
    game.host.inputAnswers = {"1"};
    game.open({"*SCENE s", "*INPUT p F(1)", "*YESNO q yes no", "*LABEL no", "said no", "*END",
               "*LABEL yes", "said yes", "*END"});
    EXPECT_EQ(during, (std::vector<RunState>{RunState::Idle, RunState::Idle}));
    EXPECT_EQ(game.shown(), Lines{"said no"});
}

TEST(Commands, YesNoWithAMissingLabelGoesOn) {
    Played game;
    game.host.yesAnswers = {true};
    game.open({"*SCENE s", sj("*YESNO 開けますか？ OPEN LEAVE"), "next", "*END"});
    EXPECT_EQ(game.host.calls[2], "yesno:" + sj("開けますか？"));
    EXPECT_EQ(game.shown(), (Lines{sj("Error:ラベルOPENが発見できませんでした"), "next"}));
}

TEST(Commands, MediaAndSaveCommandsAreReached) {
    Played game = run({"*PICTURE room 1 2", "*SE door", "*BGM song", "*SAVE 1", "*LOAD F(2)"});
    EXPECT_EQ(game.host.traces, (Lines{"picture:*PICTURE room 1 2", "sound:*SE door",
                                       "music:*BGM song", "save:*SAVE 1", "load:*LOAD F(2)"}));
}

TEST(Commands, DeepOperandNestingIsBounded) {
    std::string deep = "*F(1)=";
    for (int i = 0; i < 100000; ++i)
        deep += "F(";
    deep += "1";
    Played game = run({deep, "after"});
    EXPECT_EQ(game.engine.FlagValue(1), 0);
    EXPECT_EQ(game.shown(), Lines{"after"});
}

}  // namespace
}  // namespace vornal::test
