// The input log and its replay: a reopened game is typed back to where the player was, and
// a game that changed its questions takes what still fits.
#include "player/author/Replay.h"

#include <gtest/gtest.h>

#include "player/author/SilentHost.h"

namespace vornal {
namespace {

// Answers from the log while it replays, else from its own queue (the player); records
// live answers as the window and the terminal do.
class LoggingHost final : public SilentHost {
public:
    explicit LoggingHost(InputLog& log) : log_(log) {}
    std::vector<std::string> shown;
    std::deque<std::string> player;  // answers the player gives when asked live

    void linesAppended(std::span<const std::string> lines) override {
        shown.insert(shown.end(), lines.begin(), lines.end());
    }
    void messagesCleared() override { shown.clear(); }
    bool askYesNo(std::string_view question) override { return ask(question) == "y"; }
    std::string askInput(std::string_view prompt) override { return ask(prompt); }

private:
    std::string ask(std::string_view question) {
        shown.push_back("? " + std::string(question));
        if (auto answer = log_.nextAnswer()) return *answer;
        std::string answer = player.empty() ? "n" : player.front();
        if (!player.empty()) player.pop_front();
        log_.recordAnswer(answer);
        return answer;
    }
    InputLog& log_;
};

// Plays `commands` live, then reopens `changed` and replays.
struct Session {
    InputLog log;
    LoggingHost host{log};
    Engine engine{host};

    void type(const std::string& command) {
        log.recordCommand(command);
        engine.ProcessInput(command);
        settle();
    }
    void settle() {
        for (int i = 0; i < 1000 && (engine.HasWork() || engine.State() == RunState::Wait); ++i) {
            if (engine.HasWork())
                engine.AppIdle();
            else
                engine.GameTimerTimer();
        }
    }
    ReplayEnd reopen(const std::string& script) {
        engine.ClearDisplay();
        log.beginReplay();
        EXPECT_TRUE(engine.OpenScriptText(script, "g.vns"));
        const ReplayEnd end = Replay(engine, log);
        log.endReplay();
        return end;
    }
};

constexpr const char* kGame =
    "*SCENE hall\nHall.\n>north\n*GOTO cellar\n>ask\n*YESNO sure? yes no\n*END\n"
    "*LABEL yes\nYes.\n*END\n*LABEL no\nNo.\n*END\n*SCENEEND\n"
    "*SCENE cellar\nCellar.\n>wait\n*WAIT 2\nWaited.\n>count\n*INPUT n? F(1)\n*END\n"
    ">south\n*GOTO hall\n*SCENEEND\n";

std::string changed(std::string script, const std::string& from, const std::string& to) {
    script.replace(script.find(from), from.size(), to);
    return script;
}

TEST(Replay, LandsWhereThePlayerWasWithTheChangeInPlace) {
    Session s;
    ASSERT_TRUE(s.engine.OpenScriptText(kGame, "g.vns"));
    s.settle();
    s.host.player = {"y", "x", "5"};
    for (const char* command : {"ask", "north", "wait", "count"})
        s.type(command);
    ASSERT_EQ(s.engine.FlagValue(1), 5);

    EXPECT_EQ(s.reopen(changed(kGame, "Waited.", "Waited long.")), ReplayEnd::Done);
    EXPECT_EQ(s.engine.CurrentSceneName(), "cellar");
    EXPECT_EQ(s.engine.FlagValue(1), 5);
    EXPECT_EQ(s.host.shown,
              (std::vector<std::string>{"Hall.", "> ask", "? sure?", "Yes.", "> north", "Cellar.",
                                        "> wait", "Waited long.", "> count", "? n?", "? n?"}));
    // What the replay used is the log of the next one.
    EXPECT_EQ(s.log.entries().size(), 7u);
    EXPECT_EQ(s.reopen(kGame), ReplayEnd::Done);
    EXPECT_EQ(s.engine.FlagValue(1), 5);
}

TEST(Replay, AGameThatChangedItsQuestions) {
    // A question that is gone: its answer is passed over.
    Session gone;
    ASSERT_TRUE(gone.engine.OpenScriptText(kGame, "g.vns"));
    gone.settle();
    gone.host.player = {"y"};
    gone.type("ask");
    gone.type("north");
    EXPECT_EQ(gone.reopen(changed(kGame, "*YESNO sure? yes no", "*GOTO yes")), ReplayEnd::Done);
    EXPECT_EQ(gone.engine.CurrentSceneName(), "cellar");
    EXPECT_EQ(gone.log.entries().size(), 2u);

    // A new question: the replay stops there and the player is asked; the rest is dropped.
    Session added;
    ASSERT_TRUE(added.engine.OpenScriptText(kGame, "g.vns"));
    added.settle();
    added.type("north");
    added.type("south");
    added.host.player = {"n"};
    EXPECT_EQ(added.reopen(changed(kGame, "*GOTO cellar", "*YESNO go? cellar no")),
              ReplayEnd::Diverged);
    EXPECT_EQ(added.engine.CurrentSceneName(), "hall");
    ASSERT_EQ(added.log.entries().size(), 2u);
    EXPECT_EQ(added.log.entries()[1].kind, InputLog::Kind::Answer);
    EXPECT_FALSE(added.log.replaying());
}

TEST(Replay, AGameThatNeverComesBackIsLeftRunning) {
    Session s;
    ASSERT_TRUE(s.engine.OpenScriptText("*SCENE a\n>go\n*LABEL l\n*GOTO l\n*SCENEEND\n", "g.vns"));
    s.settle();
    s.log.recordCommand("go");
    s.log.beginReplay();
    ASSERT_TRUE(s.engine.OpenScriptText("*SCENE a\n>go\n*LABEL l\n*GOTO l\n*SCENEEND\n", "g.vns"));
    EXPECT_EQ(Replay(s.engine, s.log, {}, ReplayLimits{.slices = 5, .ticks = 5}),
              ReplayEnd::Runaway);
    EXPECT_TRUE(s.engine.HasWork());
}

TEST(Replay, CommandsTypedDuringAPauseAreTakenAtOnce) {
    constexpr const char* game =
        "*SCENE a\n>wait\nWaiting.\n*SETINPUT 1\n*WAIT 50\nLate.\n>stop\nStopped.\n*SCENEEND\n";
    Session s;
    ASSERT_TRUE(s.engine.OpenScriptText(game, "g.vns"));
    s.settle();
    s.log.recordCommand("wait");
    s.log.recordCommand("stop");
    int ticks = 0;
    s.log.beginReplay();
    ASSERT_TRUE(s.engine.OpenScriptText(game, "g.vns"));
    EXPECT_EQ(Replay(s.engine, s.log, [&ticks] { ++ticks; }), ReplayEnd::Done);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(s.host.shown, (std::vector<std::string>{"> wait", "Waiting.", "> stop", "Stopped."}));
}

}  // namespace
}  // namespace vornal
