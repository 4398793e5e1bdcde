// Plays scripts held in memory through the StubHost.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "codec/ArchiveWriter.h"
#include "common/SjisText.h"
#include "player/core/Engine.h"
#include "tests/core/StubHost.h"

namespace vornal::test {

inline std::string sj(std::string_view utf8) {
    return sjis::fromUtf8(utf8);
}

// Writes a scenario archive of `entries` (name, content), in that order, to `path`.
inline void writeArchive(const std::filesystem::path& path,
                         const std::vector<std::pair<std::string, std::string>>& entries) {
    FileStream out(path, FileStream::Mode::create);
    ArchiveWriter writer(out, static_cast<std::int32_t>(entries.size()));
    for (const auto& [entry, content] : entries) {
        MemoryStream source(std::vector<Byte>(content.begin(), content.end()));
        writer.addEntry(entry, source, static_cast<std::int32_t>(content.size()));
    }
    writer.finish();
    out.flush();
}

struct Played {
    StubHost host;
    Engine engine{host};

    Played() { engine.SetRandomSeed(1); }
    explicit Played(const std::vector<std::string>& lines) : Played() { open(lines); }

    bool open(const std::vector<std::string>& lines) {
        std::string text;
        for (const auto& line : lines)
            text += line + "\r\n";
        host.calls.clear();
        bool ok = engine.OpenScriptText(text, "/games/test/story.vns");
        host.runIdle(engine);
        return ok;
    }
    // Types a command and runs until the engine stops asking; returns the lines shown.
    std::vector<std::string> type(std::string_view command) {
        host.calls.clear();
        engine.ProcessInput(command);
        host.runIdle(engine);
        return host.appended();
    }
    std::vector<std::string> shown() const { return host.appended(); }
};

}  // namespace vornal::test
