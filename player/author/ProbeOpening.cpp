#include "player/author/ProbeOpening.h"

#include "player/author/SilentHost.h"
#include "player/core/Engine.h"

namespace vornal {

namespace {

// Keeps the messages of the opening and nothing else; nothing runs on it.
class ProbeHost final : public SilentHost {
public:
    std::string messages;

    void showMessage(std::string_view text) override {
        if (!messages.empty()) messages += "\n";
        messages += text;
    }
};

}  // namespace

std::optional<std::string> WhyGameDoesNotOpen(const std::filesystem::path& game,
                                              std::optional<ScriptEncoding> encoding) {
    ProbeHost host;
    Engine engine(host);
    engine.SetScriptEncoding(encoding);
    if (engine.OpenScript(game)) return std::nullopt;
    return host.messages;
}

}  // namespace vornal
