// *INPUT and *YESNO: modal questions asked through the host.
#include <limits>

#include "player/core/EngineImpl.h"
#include "player/core/ScriptText.h"
#include "player/core/Texts.h"

namespace vornal {

namespace {

// A numbers-only answer: ASCII digits only, at most 2147483647.
std::optional<std::int32_t> numberAnswer(std::string_view answer) {
    std::int64_t value = 0;
    for (char c : answer) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

void Engine::Impl::CmdInput(std::string_view line) {
    const std::string_view prompt = GetToken(line, ' ', 1);
    const std::string_view target = GetToken(line, ' ', 2);
    // A mode that is not a number asks for numbers, like a missing one.
    std::int32_t mode = 0;
    if (CountTokens(line, ' ') >= 4) mode = ParseInteger(GetToken(line, ' ', 3)).value_or(0);

    // No pass may start while the dialog is open.
    State = RunState::Idle;
    std::int32_t number = 0;
    for (;;) {
        const std::string answer = AskInput(prompt);
        if (answer.empty()) {
            ShowMessage(texts::EnterProperly());
            continue;
        }
        if (mode != 0) break;
        if (auto value = numberAnswer(answer)) {
            number = *value;
            break;
        }
        ShowMessage(texts::DigitsOnly());
    }
    const std::int32_t n = EvalOperand(target, true);
    const char kind = target.empty() ? '\0' : target[0];
    if (kind == 'F' || kind == 'f') {
        FlagList.SetValue(n, number);
    } else if ((kind == 'I' || kind == 'i') && Game.ItemList.Contains(n)) {
        Game.ItemList.Items(n).Value = number;
    }
    State = RunState::Run;
}

void Engine::Impl::CmdYesNo(std::string_view line) {
    State = RunState::Idle;
    const bool yes = AskYesNo(GetToken(line, ' ', 1));
    LabelJump(GetToken(line, ' ', yes ? 2 : 3), JumpRule::YesNo);
    State = RunState::Run;
}

}  // namespace vornal
