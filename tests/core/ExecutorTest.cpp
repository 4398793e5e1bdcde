// The executor, flow commands, waits and slicing, played through the stub host.
#include <gtest/gtest.h>

#include "tests/core/EngineFixture.h"
#include "tests/core/WorkedExample.h"

namespace vornal::test {
namespace {

using Lines = std::vector<std::string>;

TEST(Executor, PlaysTheWorkedExample) {
    Played game(kWorkedExample);
    EXPECT_EQ(game.shown(), Lines{"You stand in a dark hall."});
    EXPECT_EQ(game.host.calls,
              (Lines{"idle", "input:0", "append:You stand in a dark hall.", "input:1", "focus"}));
    EXPECT_TRUE(game.engine.InputEnabled());
    EXPECT_EQ(game.engine.State(), RunState::Idle);

    EXPECT_EQ(game.type("look around"), (Lines{"> look around", "A door leads north."}));
    EXPECT_EQ(game.engine.CurrentLine(), 8);

    EXPECT_EQ(game.type("open the door"), (Lines{"> open the door", "It is cold here."}));
    EXPECT_EQ(game.engine.CurrentScene(), 14);

    EXPECT_EQ(game.type("look"), (Lines{"> look", "Old barrels stand along the wall."}));
    EXPECT_EQ(game.engine.CurrentLine(), 17);
    EXPECT_EQ(game.engine.StackDepth(), 0u);

    EXPECT_EQ(game.type("dance"), (Lines{"> dance"}));
    EXPECT_EQ(game.host.calls.back(), "focus");  // nothing ran

    EXPECT_EQ(game.type("inventory"), (Lines{"> inventory", sj("[所持アイテム]"), "lamp"}));
    // The item list is one addition of two lines.
    EXPECT_EQ(std::count(game.host.calls.begin(), game.host.calls.end(), "append:lamp"), 1);
}

TEST(Executor, NomatchInTheOtherScene) {
    Played game(kWorkedExample);
    EXPECT_EQ(game.type("dance"), (Lines{"> dance", "Nothing happens."}));
}

TEST(Executor, StoryLinesCommentsAndEmptyLines) {
    Played game(
        {"*SCENE a", "", "# hidden", " *GOTO room", "  indented", "*Goto x", "*", "end", ">x"});
    EXPECT_EQ(game.shown(), (Lines{" *GOTO room", "  indented", "end"}));
}

TEST(Executor, GosubReturnsInnermostFirst) {
    Played game({"*SCENE a", "start", "*GOSUB one", "back in a", "*END", "*LABEL one", "in one",
                 "*GOSUB two", "back in one", "*END", "*LABEL two", "in two", "*SCENEEND"});
    EXPECT_EQ(game.shown(), (Lines{"start", "in one", "in two", "back in one", "back in a"}));
    EXPECT_EQ(game.engine.StackDepth(), 0u);
}

TEST(Executor, GosubIntoAnotherSceneKeepsTheCallersPatterns) {
    Played game({"*SCENE a", ">call", "*GOSUB far", "returned", "*END", ">here", "a here",
                 "*SCENEEND", "*SCENE b", ">here", "b here", "*LABEL far", "in b", "*SCENEEND"});
    EXPECT_EQ(game.type("call"), (Lines{"> call", "in b", "returned"}));
    EXPECT_EQ(game.engine.CurrentScene(), 1);
    EXPECT_EQ(game.type("here"), (Lines{"> here", "a here"}));
}

TEST(Executor, ReturnIntoTheCallersSceneRebuildsItsPatterns) {
    // The subroutine jumps into scene b; the return restores scene a and its patterns.
    Played game({"*SCENE a", ">call", "*GOSUB sub", "after", "*END", ">where", "in a", "*SCENEEND",
                 "*SCENE b", ">where", "in b", "*LABEL sub", "*GOTO bstart", "*SCENEEND",
                 "*SCENE bstart", "b opening", "*END", "*SCENEEND"});
    EXPECT_EQ(game.type("call"), (Lines{"> call", "b opening", "after"}));
    EXPECT_EQ(game.engine.CurrentScene(), 1);
    EXPECT_EQ(game.type("where"), (Lines{"> where", "in a"}));
}

TEST(Executor, GosubToAMissingLabelPushesNothing) {
    Played game({"*SCENE a", "*GOSUB nowhere", "next", "*END", "never"});
    EXPECT_EQ(game.shown(), (Lines{sj("Error:ラベルnowhereが発見できませんでした"), "next"}));
    EXPECT_EQ(game.engine.StackDepth(), 0u);
}

TEST(Executor, RunningOffTheEndIsABlockEnd) {
    Played game({"*SCENE a", "*GOSUB sub", "after", "*END", "*LABEL sub", "last line"});
    EXPECT_EQ(game.shown(), (Lines{"last line", "after"}));
    EXPECT_TRUE(game.engine.InputEnabled());
}

TEST(Executor, ASceneWithoutSceneEndRunsOnWithTheSameScene) {
    Played game({"*SCENE a", ">go", "one", "*SCENE b", "two", "*END", ">other", "*SCENEEND"});
    EXPECT_EQ(game.type("go"), (Lines{"> go", "one", "two"}));
    EXPECT_EQ(game.engine.CurrentScene(), 1);
}

struct SceneRuleCase {
    std::string command;  // the jumping line
    std::int32_t scene;   // the current scene afterwards
};

TEST(Executor, SceneSwitchRulesOfTheFourJumps) {
    // Scene "here" starts at line 1, GLOBAL at 6, "there" at 11.
    const Lines script = {"*SCENE here",   ">go",      "$JUMP",     "*END", "*SCENEEND",
                          "*SCENE GLOBAL", "*LABEL g", "in global", "*END", "*SCENEEND",
                          "*SCENE there",  "*LABEL t", "in there",  "*END", "*SCENEEND"};
    const std::vector<SceneRuleCase> cases = {
        {"*GOTO t", 11},   {"*GOTO g", 1},       {"*GOTO there", 11},
        {"*IF 1=1 t", 11}, {"*IF 1=1 g", 6},     {"*GOSUB t", 1},
        {"*GOSUB g", 1},   {"*YESNO q t g", 11}, {"*YESNO q g t", 1},
    };
    for (const auto& c : cases) {
        Lines lines = script;
        lines[2] = c.command;
        Played game(lines);
        game.host.yesAnswers = {true};
        game.type("go");
        EXPECT_EQ(game.engine.CurrentScene(), c.scene) << c.command;
    }
}

TEST(Executor, SwitchingSceneChangesThePatternsInForce) {
    Played game({"*SCENE a", ">go", "*GOTO b", ">look", "look a", "*SCENEEND", "*SCENE b",
                 "b opening", ">look", "look b", "*SCENEEND"});
    EXPECT_EQ(game.type("go"), (Lines{"> go", "b opening"}));
    EXPECT_EQ(game.type("look"), (Lines{"> look", "look b"}));
    EXPECT_EQ(game.type("go"), (Lines{"> go"}));
}

TEST(Executor, JumpsLandAfterTheLaterLabel) {
    Played game({"*SCENE a", "*GOTO door", "*LABEL door", "first", "*END", "*LABEL door", "second",
                 "*END"});
    EXPECT_EQ(game.shown(), (Lines{"second"}));
}

TEST(Executor, MissingLabelsAreReportedInTheMessageArea) {
    Played game({"*SCENE a", "*GOTO Door", "*GOTO", "*IF 1=1 nowhere", "*IF 1=2 nowhere2",
                 "*LABEL door", "end"});
    EXPECT_EQ(game.shown(), (Lines{sj("Error:ラベルDoorが発見できませんでした"),
                                   sj("Error:ラベルが発見できませんでした"),
                                   sj("Error:ラベルnowhereが発見できませんでした"), "end"}));
}

TEST(Executor, WaitTicksThenContinues) {
    for (const auto& [count, ticks] :
         std::vector<std::pair<std::string, int>>{{"0", 2}, {"1", 2}, {"3", 4}, {"-5", 2}}) {
        Played game({"*SCENE a", "before", "*WAIT " + count, "after", ">x"});
        EXPECT_EQ(game.shown(), (Lines{"before"}));
        EXPECT_EQ(game.engine.State(), RunState::Wait);
        EXPECT_TRUE(game.host.timerEnabled);
        EXPECT_FALSE(game.engine.InputEnabled());
        EXPECT_FALSE(game.engine.HasWork());
        EXPECT_EQ(game.host.runTimer(game.engine), ticks) << count;
        EXPECT_EQ(game.shown(), (Lines{"before", "after"}));
        EXPECT_EQ(game.engine.State(), RunState::Idle);
        EXPECT_EQ(game.host.traces, (Lines{"wait:*WAIT " + count}));
    }
}

TEST(Executor, WaitKeepsTheStackAcrossPasses) {
    Played game(
        {"*SCENE a", "*GOSUB sub", "returned", "*END", "*LABEL sub", "*WAIT 1", "sub end", "*END"});
    EXPECT_EQ(game.engine.StackDepth(), 1u);
    game.host.runTimer(game.engine);
    EXPECT_EQ(game.shown(), (Lines{"sub end", "returned"}));
}

TEST(Executor, SetInputLetsACommandReplaceAWait) {
    Played game({"*SCENE a", "*GOSUB sub", "returned", "*END", "*LABEL sub", "*SETINPUT 1",
                 "*WAIT 100", "never shown", "*END", ">skip", "skipped", "*END"});
    EXPECT_TRUE(game.engine.InputEnabled());
    EXPECT_EQ(game.engine.State(), RunState::Wait);
    EXPECT_EQ(game.type("skip"), (Lines{"> skip", "skipped", "returned"}));
    EXPECT_EQ(game.engine.State(), RunState::Idle);
    EXPECT_FALSE(game.host.timerEnabled);
    // A late tick does nothing.
    game.engine.GameTimerTimer();
    EXPECT_EQ(game.engine.State(), RunState::Idle);
}

TEST(Executor, SetInputHoldsUntilTheNextPass) {
    Played game({"*SCENE a", "*SETINPUT 1", "*WAIT 1", "*SETINPUT 0", "*WAIT 1", "*SETINPUT 1",
                 "done", ">x"});
    EXPECT_TRUE(game.engine.InputEnabled());
    game.engine.GameTimerTimer();
    game.engine.GameTimerTimer();
    game.host.runIdle(game.engine);
    EXPECT_FALSE(game.engine.InputEnabled());
    game.host.runTimer(game.engine);
    EXPECT_TRUE(game.engine.InputEnabled());
    EXPECT_EQ(game.engine.State(), RunState::Idle);
}

TEST(Executor, BadValuesDuringPlayAreReportedOnceAndPlayGoesOn) {
    // (*SCREEN is checked when the script is opened already.)
    Played game({"*SCENE a", "*WAIT soon", "*SETINPUT", "*WAIT 1.5", "after", ">x"});
    EXPECT_EQ(game.shown(), (Lines{sj("Error:2行目の数値が正しくありません:*WAIT soon"),
                                   sj("Error:3行目の数値が正しくありません:*SETINPUT"),
                                   sj("Error:4行目の数値が正しくありません:*WAIT 1.5"), "after"}));
    EXPECT_EQ(game.engine.State(), RunState::Idle);
}

TEST(Executor, TitleAndScreenRunAtOpeningAndAgainWhenReached) {
    Played game(
        {"*TITLE   Castle of Night", "*SCENE a", "*SCREEN 320 240", "*TITLE Two words", ">x"});
    EXPECT_EQ(game.host.calls,
              (Lines{"caption:Castle of Night", "picture:320x240", "caption:Two words", "idle",
                     "input:0", "picture:320x240", "caption:Two words", "input:1", "focus"}));
}

TEST(Executor, ClsEmptiesTheMessageArea) {
    Played game({"*SCENE a", "one", "*CLS", "two", ">x"});
    EXPECT_EQ(game.engine.Messages(), (std::deque<std::string>{"two"}));
    EXPECT_EQ(game.host.viewLines, 1u);
}

TEST(Executor, EchoTrimsTheMessageAreaTo999Lines) {
    Lines script = {"*SCENE a"};
    for (int i = 0; i < 1000; ++i)
        script.push_back("line " + std::to_string(i));
    script.push_back(">more");
    script.push_back("extra");
    Played game(script);
    ASSERT_EQ(game.engine.Messages().size(), 1000u);
    game.type("nothing");  // exactly 1000: no trim
    EXPECT_EQ(game.engine.Messages().size(), 1001u);
    game.type("more");  // 1001: cut to 999, then echo and one line
    EXPECT_EQ(game.engine.Messages().size(), 1001u);
    EXPECT_EQ(game.engine.Messages().front(), "line 2");
    EXPECT_EQ(game.host.calls.front(), "remove:2");
    EXPECT_EQ(game.host.viewLines, game.engine.Messages().size());
}

TEST(Executor, RunawayLoopRunsInSlices) {
    Played game;
    game.engine.SetSliceLimit(1000);
    ASSERT_TRUE(game.engine.OpenScriptText("*SCENE a\n*LABEL a\n*F(1)+=1\n*GOTO a\n", "a.vns"));
    // runIdle stops at its limit; the engine never stopped asking.
    int steps = game.host.runIdle(game.engine, 50);
    EXPECT_EQ(steps, 50);
    EXPECT_TRUE(game.engine.HasWork());
    EXPECT_EQ(game.host.idleRequests, 1);
    EXPECT_FALSE(game.engine.InputEnabled());
    // Input was disabled once for the whole pass.
    EXPECT_EQ(std::count(game.host.calls.begin(), game.host.calls.end(), "input:0"), 1);
    const std::int32_t count = game.engine.FlagValue(1) - 1;
    EXPECT_GT(count, 50 * 100);
    EXPECT_LE(count, 50 * 1000);

    // Opening another game between slices replaces it.
    game.open({"*SCENE b", "fresh", ">x"});
    EXPECT_EQ(game.shown(), (Lines{"fresh"}));
    EXPECT_FALSE(game.engine.HasWork());
    EXPECT_TRUE(game.engine.InputEnabled());
}

TEST(Executor, RunawayGosubStopsTheGame) {
    Played game({"*SCENE a", "*LABEL a", "*GOSUB a", ">x", "ran x"});
    EXPECT_TRUE(game.engine.Halted());
    ASSERT_EQ(game.host.messages.size(), 1u);
    EXPECT_EQ(game.host.messages[0], sj("Error:3行目の*GOSUBが深すぎます:*GOSUB a"));
    EXPECT_FALSE(game.engine.HasWork());
    // While halted a matching command echoes but runs nothing.
    EXPECT_EQ(game.type("x"), (Lines{"> x"}));
}

TEST(Executor, IdleEngineAsksForNothing) {
    Played game({"*SCENE a", "hello", ">x"});
    EXPECT_EQ(game.host.idleRequests, 0);
    EXPECT_FALSE(game.engine.HasWork());
    game.engine.AppIdle();
    game.engine.GameTimerTimer();
    EXPECT_EQ(game.host.idleRequests, 0);
    EXPECT_EQ(game.shown(), Lines{"hello"});
}

TEST(Executor, NoPassStartsInsideADialog) {
    Played game;
    game.host.engine = &game.engine;
    game.host.nestedIdleInDialogs = true;
    game.host.yesAnswers = {true};
    game.open({"*SCENE a", "before", "*YESNO q yes no", "*LABEL no", "no", "*END", "*LABEL yes",
               "yes", "*END"});
    // The nested idle call inside askYesNo ran nothing: one pass, in order.
    EXPECT_EQ(game.shown(), (Lines{"before", "yes"}));
    EXPECT_EQ(game.engine.State(), RunState::Idle);
}

TEST(Executor, OpeningFromInsideADialogAbandonsThePass) {
    Played game;
    game.host.duringDialog = [&] {
        game.host.duringDialog = nullptr;
        game.engine.OpenScriptText("*SCENE b\r\nnew game\r\n>x\r\n", "/games/b.vns");
    };
    game.open(
        {"*SCENE a", "*YESNO q yes no", "old game goes on", "*LABEL yes", "*LABEL no", "*END"});
    EXPECT_EQ(game.shown(), (Lines{"new game"}));
    EXPECT_EQ(game.engine.CurrentScene(), 1);
    EXPECT_EQ(game.engine.State(), RunState::Idle);
    EXPECT_TRUE(game.engine.InputEnabled());
}

}  // namespace
}  // namespace vornal::test
