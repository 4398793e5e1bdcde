// A host for the engine's tests: records every call, answers questions from queues, and
// drives the engine like an event loop would (idle requests, timer ticks).
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "player/core/Engine.h"
#include "player/core/Host.h"

namespace vornal::test {

class StubHost : public Host {
public:
    // Every call in order, e.g. "append:text", "remove:3", "clear", "input:0", "focus",
    // "caption:text", "picture:320x240", "message:text", "yesno:question", "ask:prompt",
    // "timer:1", "idle", "trace:wait:*WAIT 3", "picture" (the area changed), "sound:500"
    // (waited 500 ms), "midi:text", "halted:reason".
    std::vector<std::string> calls;
    std::vector<std::string> messages;     // showMessage texts
    std::deque<bool> yesAnswers;           // askYesNo answers; No when empty
    std::deque<std::string> inputAnswers;  // askInput answers; "0" when empty
    std::vector<std::string> traces;       // "event:detail"
    int idleRequests = 0;
    bool timerEnabled = false;
    std::size_t viewLines = 0;  // lines a view kept in step would hold

    Engine* engine = nullptr;  // when set, modal calls may run nested idle steps
    bool nestedIdleInDialogs = false;
    std::function<void()> duringDialog;  // runs inside every modal call

    void linesAppended(std::span<const std::string> lines) override {
        for (const auto& line : lines)
            calls.push_back("append:" + line);
        viewLines += lines.size();
    }
    void linesRemovedFromTop(std::size_t count) override {
        calls.push_back("remove:" + std::to_string(count));
        viewLines -= count;
    }
    void messagesCleared() override {
        calls.push_back("clear");
        viewLines = 0;
    }
    void enableInput(bool enabled) override { calls.push_back(enabled ? "input:1" : "input:0"); }
    void clearAndFocusInput() override { calls.push_back("focus"); }
    void setCaption(std::string_view text) override {
        calls.push_back("caption:" + std::string(text));
    }
    void setPictureAreaSize(int width, int height) override {
        calls.push_back("picture:" + std::to_string(width) + "x" + std::to_string(height));
    }
    void pictureChanged() override { calls.push_back("picture"); }
    void waitForSound(std::chrono::milliseconds length) override {
        calls.push_back("sound:" + std::to_string(length.count()));
        nested();
    }
    void showMidiError(std::string_view text) override {
        calls.push_back("midi:" + std::string(text));
        messages.emplace_back(text);
        nested();
    }
    void showMessage(std::string_view text) override {
        calls.push_back("message:" + std::string(text));
        messages.emplace_back(text);
        nested();
    }
    bool askYesNo(std::string_view question) override {
        calls.push_back("yesno:" + std::string(question));
        nested();
        if (yesAnswers.empty()) return false;
        bool yes = yesAnswers.front();
        yesAnswers.pop_front();
        return yes;
    }
    std::string askInput(std::string_view prompt) override {
        calls.push_back("ask:" + std::string(prompt));
        nested();
        if (inputAnswers.empty()) return "0";
        std::string answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer;
    }
    void setGameTimerEnabled(bool enabled) override {
        calls.push_back(enabled ? "timer:1" : "timer:0");
        timerEnabled = enabled;
    }
    void requestIdle() override {
        calls.push_back("idle");
        ++idleRequests;
    }
    void gameHalted(std::string_view reason) override {
        calls.push_back("halted:" + std::string(reason));
    }
    void traceEvent(std::string_view event, std::string_view detail) override {
        traces.push_back(std::string(event) + ":" + std::string(detail));
    }

    // Runs idle steps while the engine asked for them; returns how many ran.
    int runIdle(Engine& e, int limit = 1'000'000) {
        int steps = 0;
        while (idleRequests > 0 && steps < limit) {
            --idleRequests;
            e.AppIdle();
            ++steps;
        }
        return steps;
    }
    // Ticks the timer while it is enabled, running idle steps in between.
    int runTimer(Engine& e, int limit = 10'000) {
        int ticks = 0;
        while (timerEnabled && ticks < limit) {
            e.GameTimerTimer();
            ++ticks;
            runIdle(e);
        }
        return ticks;
    }
    // Lines appended since the calls list was last cleared.
    std::vector<std::string> appended() const {
        std::vector<std::string> out;
        for (const auto& call : calls)
            if (call.rfind("append:", 0) == 0) out.push_back(call.substr(7));
        return out;
    }

private:
    void nested() {
        // A modal dialog's nested event loop keeps calling the idle step.
        if (nestedIdleInDialogs && engine) engine->AppIdle();
        if (duringDialog) duringDialog();
    }
};

}  // namespace vornal::test
