// *PICTURE, *SE and *BGM. For now they only report that they were reached; the media
// layer takes them over.
#include "player/core/EngineImpl.h"

namespace vornal {

void Engine::Impl::CmdPicture(std::string_view line) {
    host.traceEvent("picture", line);
}

void Engine::Impl::CmdSe(std::string_view line) {
    host.traceEvent("sound", line);
}

void Engine::Impl::CmdBgm(std::string_view line) {
    host.traceEvent("music", line);
}

void Engine::Impl::PlayBgm(std::string_view name) {
    host.traceEvent("music", name);
}

void Engine::Impl::StopBgm() {
    BgmLoaded = false;
    BgmLoop = false;
    BgmFile.clear();
}

}  // namespace vornal
