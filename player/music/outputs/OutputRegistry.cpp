#include "player/music/outputs/OutputRegistry.h"

#include <filesystem>
#include <functional>

#include "player/music/outputs/LogOutput.h"
#include "player/music/outputs/PortOutput.h"
#include "player/music/outputs/SynthOutput.h"
#include "player/music/outputs/WavOutput.h"

namespace vornal {

namespace {

struct Backend {
    std::string_view prefix;  // the name, or its part before the value
    bool takesValue;
    std::function<std::unique_ptr<MidiOutput>(const std::string& value)> make;
};

// In order of preference, the first being the default.
const std::vector<Backend>& Backends() {
    static const std::vector<Backend> backends{
        {"synth", false,
         [](const std::string&) {
             return std::make_unique<SynthOutput>(kDefaultSoundFont, DefaultAudioDrivers());
         }},
        {"synth:", true,
         [](const std::string& file) {
             return std::make_unique<SynthOutput>(file, DefaultAudioDrivers());
         }},
        {"port:", true, [](const std::string& name) { return std::make_unique<PortOutput>(name); }},
        {"log:", true, MakeLogOutput},
        {"wav:", true,
         [](const std::string& file) {
             return std::make_unique<WavOutput>(std::filesystem::path(file), kDefaultSoundFont);
         }},
    };
    return backends;
}

const Backend& FindBackend(std::string_view name) {
    for (const Backend& backend : Backends()) {
        if (backend.takesValue
                ? name.starts_with(backend.prefix) && name.size() > backend.prefix.size()
                : name == backend.prefix)
            return backend;
    }
    throw UnknownOutput("unknown music output " + std::string(name) +
                        "; choose synth, synth:FILE.sf2, port:NAME, log:FILE (log:- for "
                        "standard output) or wav:FILE (vnplayer --list-outputs)");
}

}  // namespace

void CheckOutputName(std::string_view name) {
    if (!name.empty()) FindBackend(name);
}

MadeOutput MakeOutput(std::string_view name) {
    if (name.empty()) name = "synth";
    const Backend& backend = FindBackend(name);
    const std::string value(name.substr(backend.takesValue ? backend.prefix.size() : 0));
    try {
        return MadeOutput{backend.make(value), {}};
    } catch (const MidiOutputError& error) {
        return MadeOutput{std::make_unique<NullOutput>(), error.what()};
    }
}

std::vector<OutputChoice> ListOutputs() {
    std::error_code error;
    const bool soundFont = std::filesystem::exists(kDefaultSoundFont, error);
    std::vector<OutputChoice> choices{
        {"synth", std::string("the built-in synthesizer (default), SoundFont ") +
                      kDefaultSoundFont + (soundFont ? "" : " (missing)")},
        {"synth:FILE.sf2", "the built-in synthesizer with another SoundFont"},
    };
    for (const std::string& port : ListMidiPorts())
        choices.push_back({"port:" + port, "a system MIDI port"});
    choices.push_back({"log:FILE", "a text log of every message (log:- for standard output)"});
    choices.push_back({"wav:FILE", "the music rendered into a WAV file"});
    return choices;
}

}  // namespace vornal
