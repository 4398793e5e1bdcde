// *SE: a WAV sound effect, played to its end before the pass goes on.
#include <algorithm>

#include "player/core/DataFiles.h"
#include "player/core/EngineImpl.h"
#include "player/core/ScriptText.h"
#include "player/core/Texts.h"

namespace vornal {

void Engine::Impl::CmdSe(std::string_view line) {
    host.traceEvent("sound", line);
    const std::string name = WithDefaultExtension(GetToken(line, ' ', 1), ".wav");
    const std::optional<std::vector<Byte>> data = GetDataFile(name, DataKind::Sound);
    if (!data || !Media.sound) return;
    const SoundOutput::Started started = Media.sound->start(*data);
    if (started.result == SoundOutput::Started::Result::Undecodable) {
        // Nothing was heard and the game goes on; say so once per file.
        if (std::find(UnplayableSounds.begin(), UnplayableSounds.end(), name) !=
            UnplayableSounds.end())
            return;
        UnplayableSounds.push_back(name);
        ShowMessage(texts::SoundUnplayable(name));
        return;
    }
    WaitForSound(started.length);
}

}  // namespace vornal
