// Typed commands, and the modal host calls that handlers make during a pass.
#include "player/core/EngineImpl.h"
#include "player/core/Matcher.h"

namespace vornal {

void Engine::Impl::ProcessInput(std::string_view typed) {
    MsgMemo.trimBeforeEcho();
    MsgMemo.append("> " + std::string(typed));
    auto block = MatchCommand(CmdList, typed);
    if (!block) {
        host.clearAndFocusInput();
        return;
    }
    CurLine = *block;
    // A command typed during a *WAIT (after *SETINPUT 1) replaces the rest of the paused
    // block; its entries on the game stack stay.
    if (State == RunState::Wait) SetGameTimer(false);
    State = RunState::Run;
    PassStarted = false;
    if (!Halted) host.requestIdle();
}

void Engine::Impl::ShowMessage(const std::string& text) {
    const auto generation = Generation;
    host.showMessage(text);
    if (Generation != generation) throw GameReplaced{};
}

bool Engine::Impl::AskYesNo(std::string_view question) {
    const auto generation = Generation;
    bool yes = host.askYesNo(question);
    if (Generation != generation) throw GameReplaced{};
    return yes;
}

std::string Engine::Impl::AskInput(std::string_view prompt) {
    const auto generation = Generation;
    std::string answer = host.askInput(prompt);
    if (Generation != generation) throw GameReplaced{};
    return answer;
}

}  // namespace vornal
