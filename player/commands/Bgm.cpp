// *BGM and the music operations PlayBgm and StopBgm, which *LOAD and opening use too.
#include "player/core/DataFiles.h"
#include "player/core/EngineImpl.h"
#include "player/core/ScriptText.h"

namespace vornal {

void Engine::Impl::CmdBgm(std::string_view line) {
    host.traceEvent("music", line);
    // Only a count that reads as 0 plays once; anything else, a word included, repeats.
    const bool once = CountTokens(line, ' ') > 2 && ParseInteger(GetToken(line, ' ', 2)) == 0;
    Bgm.SetLoop(!once);
    PlayBgm(WithDefaultExtension(GetToken(line, ' ', 1), ".mid"));
}

void Engine::Impl::PlayBgm(std::string_view name) {
    const std::string file(name);
    const std::vector<std::string> errors =
        Bgm.PlayBgm(file, [&] { return GetDataFile(file, DataKind::Music); });
    for (const std::string& error : errors)
        ShowMidiError(error);
}

void Engine::Impl::StopBgm() {
    Bgm.StopBgm();
}

}  // namespace vornal
