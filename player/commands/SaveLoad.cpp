// *SAVE and *LOAD. For now they only report that they were reached.
#include "player/core/EngineImpl.h"

namespace vornal {

void Engine::Impl::CmdSave(std::string_view line) {
    host.traceEvent("save", line);
}

void Engine::Impl::CmdLoad(std::string_view line) {
    host.traceEvent("load", line);
}

}  // namespace vornal
