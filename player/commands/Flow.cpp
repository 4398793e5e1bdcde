// *GOTO and *GOSUB, and the label jump shared with *IF and *YESNO.
#include "player/core/EngineImpl.h"
#include "player/core/ScriptText.h"
#include "player/core/Texts.h"

namespace vornal {

bool Engine::Impl::LabelJump(std::string_view name, JumpRule rule) {
    std::int32_t line = 0;
    std::int32_t scene = 0;
    if (!Game.LabelList.FindLabel(name, line, scene)) {
        MsgMemo.append(texts::LabelNotFound(name));
        return false;
    }
    // The executor adds 1 after the handler returns.
    CurLine = line - 1;
    // A label of the GLOBAL scene keeps the current scene for *GOTO and *YESNO, not for *IF.
    const bool switchScene =
        scene != CurScene && (rule == JumpRule::If || scene != Game.GlobalScene);
    if (switchScene) {
        CurScene = scene;
        RebuildCommands();
    }
    return true;
}

void Engine::Impl::CmdGoto(std::string_view line) {
    LabelJump(GetToken(line, ' ', 1), JumpRule::Goto);
}

void Engine::Impl::CmdGosub(std::string_view line) {
    std::int32_t target = 0;
    std::int32_t scene = 0;
    std::string_view name = GetToken(line, ' ', 1);
    if (!Game.LabelList.FindLabel(name, target, scene)) {
        MsgMemo.append(texts::LabelNotFound(name));
        return;
    }
    if (GameStack.size() >= kMaxStackDepth) {
        // Runaway recursion: stop the game rather than grow without bound.
        Halt(texts::StackTooDeep(CurLine, line));
        return;
    }
    GameStack.push_back({CurScene, CurLine + 1});
    CurLine = target - 1;
}

}  // namespace vornal
