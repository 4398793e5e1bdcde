// Typed commands, and the modal host calls that handlers make during a pass.
#include "player/core/EngineImpl.h"
#include "player/core/Matcher.h"

namespace vornal {

void Engine::Impl::ProcessInput(std::string_view typed) {
    MsgMemo.trimBeforeEcho();
    // Taken after the trim: a level holds at most the area's usual thousand lines.
    if (BetweenCommands()) {
        History.push(std::string(typed), TakeSnapshot());
        Progressed = true;
    }
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

void Engine::Impl::SetCaption(std::string_view text) {
    Caption = text;
    host.setCaption(text);
}

void Engine::Impl::ShowMessage(const std::string& text) {
    Modal([&] { host.showMessage(text); });
}

void Engine::Impl::Halt(const std::string& message) {
    // The first failure stopped the game; later ones of the same pass only add their box.
    const bool first = !Halted;
    // Set before the box: its event loop must not start another pass.
    Halted = true;
    ShowMessage(message);
    if (first) host.gameHalted(message);
}

void Engine::Impl::ShowMidiError(const std::string& text) {
    Modal([&] { host.showMidiError(text); });
}

bool Engine::Impl::AskYesNo(std::string_view question) {
    return Modal([&] { return host.askYesNo(question); });
}

std::string Engine::Impl::AskInput(std::string_view prompt) {
    return Modal([&] { return host.askInput(prompt); });
}

void Engine::Impl::WaitForSound(std::chrono::milliseconds length) {
    Modal([&] { host.waitForSound(length); });
}

}  // namespace vornal
