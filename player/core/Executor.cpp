// The executor: passes over the script's lines, block ends and returns, the idle step and
// the 100 ms wait timer.
#include <chrono>

#include "player/core/EngineImpl.h"
#include "player/core/ScriptText.h"
#include "player/core/Texts.h"

namespace vornal {

namespace {

// The clock is read only every so many lines; a line costs well under a microsecond.
constexpr std::size_t kClockEvery = 512;

}  // namespace

void Engine::Impl::EnableInput(bool enabled) {
    InputEnabled = enabled;
    host.enableInput(enabled);
}

void Engine::Impl::SetGameTimer(bool enabled) {
    if (TimerEnabled == enabled) return;
    TimerEnabled = enabled;
    host.setGameTimerEnabled(enabled);
}

void Engine::Impl::RebuildCommands() {
    CmdList.clear();
    CollectCommands(Game, CurScene, CmdList);
    if (Game.GlobalScene >= 0) CollectCommands(Game, Game.GlobalScene, CmdList);
}

void Engine::Impl::ReportBadValue(std::int32_t lineIndex) {
    MsgMemo.append(texts::BadValue(lineIndex, Game.ScriptLines[lineIndex]));
}

void Engine::Impl::Dispatch(int code, std::string_view line) {
    switch (code) {
        case kwGoto:
            CmdGoto(line);
            break;
        case kwIf:
            CmdIf(line);
            break;
        case kwPicture:
            CmdPicture(line);
            break;
        case kwSe:
            CmdSe(line);
            break;
        case kwBgm:
            CmdBgm(line);
            break;
        case kwAssign:
            CmdAssign(line);
            break;
        case kwGetItem:
            CmdGetItem(line);
            break;
        case kwDelItem:
            CmdDelItem(line);
            break;
        case kwScreen:
            CmdScreen(line);
            break;
        case kwTitle:
            CmdTitle(line);
            break;
        case kwSave:
            CmdSave(line);
            break;
        case kwLoad:
            CmdLoad(line);
            break;
        case kwItemList:
            CmdItemList();
            break;
        case kwCls:
            CmdCls();
            break;
        case kwGosub:
            CmdGosub(line);
            break;
        case kwInput:
            CmdInput(line);
            break;
        case kwYesNo:
            CmdYesNo(line);
            break;
        case kwSetInput:
            CmdSetInput(line);
            break;
        default:
            break;  // unrecognised, *SCENE, *LABEL, *ITEM, *ITEMEND
    }
}

Engine::Impl::PassEnd Engine::Impl::RunScript(std::size_t maxLines) {
    if (!PassStarted) {
        PassStarted = true;
        EnableInput(false);
    }
    const auto started = std::chrono::steady_clock::now();
    std::size_t steps = 0;
    for (;;) {
        const auto count = static_cast<std::int32_t>(Game.ScriptLines.size());
        while (CurLine >= 0 && CurLine < count) {
            if (++steps > maxLines) return PassEnd::Sliced;
            if (steps % kClockEvery == 0 &&
                std::chrono::steady_clock::now() - started > kSliceTime) {
                return PassEnd::Sliced;
            }
            const std::int8_t kind = Game.LineKinds[CurLine];
            if (kind == lkStory) {
                MsgMemo.append(Game.ScriptLines[CurLine]);
                ++CurLine;
                continue;
            }
            if (kind == lkSkip) {
                ++CurLine;
                continue;
            }
            if (kind == kwSceneEnd || kind == kwEnd || kind == kwPattern) break;
            const std::int32_t lineIndex = CurLine;
            const std::string_view line = Game.ScriptLines[lineIndex];
            if (kind == kwWait) {
                try {
                    CmdWait(line);
                    ++CurLine;
                    PassStarted = false;
                    return PassEnd::Ended;
                } catch (const ScriptValueError&) {
                    ReportBadValue(lineIndex);
                    ++CurLine;
                    continue;
                }
            }
            try {
                Dispatch(kind, line);
            } catch (const ScriptValueError&) {
                ReportBadValue(lineIndex);
            }
            ++CurLine;
        }
        // End of block: return to the caller, or end the pass.
        if (GameStack.empty()) {
            EnableInput(true);
            PassStarted = false;
            return PassEnd::Ended;
        }
        if (++steps > maxLines) return PassEnd::Sliced;
        const sStackEntry top = GameStack.back();
        GameStack.pop_back();
        if (top.Scene != CurScene) {
            CurScene = top.Scene;
            RebuildCommands();
        }
        CurLine = top.Line;
    }
}

void Engine::Impl::AppIdle() {
    if (InPass) return;
    if (NoticesPending) {
        // The boxes' own event loops must not start a pass meanwhile.
        InPass = true;
        try {
            ShowNotices();
        } catch (...) {
            InPass = false;
            throw;
        }
        InPass = false;
    }
    // The pass that halts the game still runs to its block end.
    if (Halted && !PassStarted) return;
    if (State == RunState::Run) {
        InPass = true;
        PassEnd end;
        try {
            end = RunScript(SliceLines);
        } catch (const GameReplaced&) {
            InPass = false;
            if (HasWork()) host.requestIdle();
            return;
        } catch (...) {
            InPass = false;
            throw;
        }
        InPass = false;
        if (end == PassEnd::Sliced) {
            host.requestIdle();
            return;
        }
        if (State == RunState::Run) {
            State = RunState::Idle;
            host.clearAndFocusInput();
        }
    }
    if (State == RunState::Wait) SetGameTimer(true);
}

void Engine::Impl::GameTimerTimer() {
    // A halted game never finishes its wait; a wait replaced by a typed command needs no
    // more ticks.
    if (State != RunState::Wait || Halted) {
        SetGameTimer(false);
        return;
    }
    if (WaitCount != 0) {
        --WaitCount;
        return;
    }
    State = RunState::Run;
    SetGameTimer(false);
    host.requestIdle();
}

}  // namespace vornal
