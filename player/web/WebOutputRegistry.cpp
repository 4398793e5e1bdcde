// The music outputs of the web build: the log, and silence (with the reason) for the names
// that need what the desktop has and the web build has not: the synthesizer (also behind
// wav:FILE) and the system's MIDI ports. A command line written for the desktop still runs.
#include <string>

#include "player/music/outputs/LogOutput.h"
#include "player/music/outputs/OutputRegistry.h"

namespace vornal {

namespace {

constexpr std::string_view kLog = "log:";

// Why a name the desktop knows is silent here; nullptr for names nobody knows.
const char* silentReason(std::string_view name) {
    if (name == "synth" || (name.starts_with("synth:") && name.size() > 6) ||
        (name.starts_with("wav:") && name.size() > 4))
        return "the WebAssembly build has no synthesizer";
    if (name.starts_with("port:") && name.size() > 5)
        return "the WebAssembly build has no MIDI ports";
    return nullptr;
}

[[noreturn]] void unknown(std::string_view name) {
    throw UnknownOutput("unknown music output " + std::string(name) +
                        "; choose log:FILE (log:- for standard output)");
}

}  // namespace

void CheckOutputName(std::string_view name) {
    if (!name.empty() && !(name.starts_with(kLog) && name.size() > kLog.size()) &&
        !silentReason(name))
        unknown(name);
}

MadeOutput MakeOutput(std::string_view name) {
    if (name.empty()) name = "synth";
    CheckOutputName(name);
    if (const char* reason = silentReason(name))
        return MadeOutput{std::make_unique<NullOutput>(), reason};
    try {
        return MadeOutput{MakeLogOutput(std::string(name.substr(kLog.size()))), {}};
    } catch (const MidiOutputError& error) {
        return MadeOutput{std::make_unique<NullOutput>(), error.what()};
    }
}

std::vector<OutputChoice> ListOutputs() {
    return {{"log:FILE", "a text log of every message (log:- for standard output)"}};
}

}  // namespace vornal
