// The music outputs by name, as --output and the window's menu choose them:
//
//   synth            the built-in synthesizer with the system's General MIDI SoundFont
//   synth:FILE.sf2   the built-in synthesizer with another SoundFont
//   port:NAME        a system MIDI port whose name contains NAME
//   log:FILE         a text log of every message (log:- for standard output)
//   wav:FILE         the music rendered into a WAV file
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "player/music/MidiOutput.h"

namespace vornal {

// A name that is none of the above; what() lists the choices.
class UnknownOutput : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

struct MadeOutput {
    std::unique_ptr<MidiOutput> output;
    // Why the output is silent instead (no audio device, no SoundFont, no such port, a
    // file that cannot be written); empty when it works.
    std::string problem;
};

// Never fails for a known name: an output that cannot work is replaced by a silent one and
// the reason given. Throws UnknownOutput otherwise. "" is "synth".
MadeOutput MakeOutput(std::string_view name);
// Throws UnknownOutput unless MakeOutput would know the name; makes nothing.
void CheckOutputName(std::string_view name);

struct OutputChoice {
    std::string name;
    std::string description;
};
// What --output accepts on this machine: the forms above, with the ports found now.
std::vector<OutputChoice> ListOutputs();

}  // namespace vornal
