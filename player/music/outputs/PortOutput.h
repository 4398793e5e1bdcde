// port:NAME — a system MIDI port (ALSA through RtMidi): a hardware synthesizer, or a
// software one running as a server (FluidSynth, TiMidity). NAME is matched, ignoring
// letter case, as a part of the port's name; the first port that matches is used. The
// port is connected when a song starts and released when it ends, as a device would be.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "player/music/MidiOutput.h"

class RtMidiOut;

namespace vornal {

class PortOutput final : public MidiOutput {
public:
    // Throws MidiOutputError when there is no ALSA sequencer or no port matches.
    explicit PortOutput(const std::string& name);
    ~PortOutput() override;

    void open(std::int64_t stepMicros) override;
    void shortMessage(std::uint32_t message, SendTime at) override;
    void longMessage(std::span<const Byte> message, SendTime at) override;
    void reset(std::int64_t stepMicros) override;
    void close(std::int64_t stepMicros) override;

    const std::string& portName() const { return portName_; }

private:
    void send(const std::vector<unsigned char>& bytes);

    std::string wanted_;
    std::string portName_;
    std::unique_ptr<RtMidiOut> out_;
    std::string lastError_;
};

// The names of the MIDI ports that can be written to; empty without an ALSA sequencer.
std::vector<std::string> ListMidiPorts();

}  // namespace vornal
