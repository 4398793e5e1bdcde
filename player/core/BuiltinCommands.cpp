// The executor's own small commands: *TITLE, *SCREEN, *CLS, *WAIT, *SETINPUT.
#include "player/core/EngineImpl.h"
#include "player/core/ScriptText.h"

namespace vornal {

void Engine::Impl::CmdTitle(std::string_view line) {
    SetCaption(TitleText(line));
}

void Engine::Impl::CmdScreen(std::string_view line) {
    std::int32_t width = 0;
    std::int32_t height = 0;
    ScreenSize(line, width, height);
    SetPictureAreaSize(width, height);
}

void Engine::Impl::CmdCls() {
    MsgMemo.clear();
}

void Engine::Impl::CmdWait(std::string_view line) {
    std::int32_t ticks = ValueField(line, 1);
    // The countdown ends only at exactly 0, so a negative count would never end.
    if (ticks < 0) ticks = 0;
    WaitCount = ticks == 0 ? 1 : ticks;
    State = RunState::Wait;
    host.traceEvent("wait", line);
}

void Engine::Impl::CmdSetInput(std::string_view line) {
    EnableInput(ValueField(line, 1) == 1);
}

}  // namespace vornal
