#include "player/music/outputs/PortOutput.h"

#include <rtmidi/RtMidi.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace vornal {

namespace {

// RtMidi prints its errors unless a callback takes them; the caller says one clear thing.
void KeepRtMidiError(RtMidiError::Type type, const std::string& text, void* data) {
    if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING) return;
    *static_cast<std::string*>(data) = text;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Without the sequencer device RtMidi would print its failure before throwing it.
bool HaveSequencer() {
    return ::access("/dev/snd/seq", R_OK | W_OK) == 0;
}

std::unique_ptr<RtMidiOut> MakeClient(std::string& error) {
    if (!HaveSequencer()) {
        error = "no ALSA sequencer (/dev/snd/seq)";
        return nullptr;
    }
    try {
        auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, "vnplayer");
        out->setErrorCallback(KeepRtMidiError, &error);
        return out;
    } catch (const RtMidiError& e) {
        error = e.getMessage();
        return nullptr;
    }
}

}  // namespace

std::vector<std::string> ListMidiPorts() {
    std::string error;
    std::vector<std::string> names;
    const std::unique_ptr<RtMidiOut> out = MakeClient(error);
    if (!out) return names;
    const unsigned count = out->getPortCount();
    for (unsigned i = 0; i < count; ++i)
        names.push_back(out->getPortName(i));
    return names;
}

PortOutput::PortOutput(const std::string& name) : wanted_(name) {
    out_ = MakeClient(lastError_);
    if (!out_) throw MidiOutputError("MIDI port " + name + ": " + lastError_);
    const unsigned count = out_->getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        const std::string port = out_->getPortName(i);
        if (Lower(port).find(Lower(name)) != std::string::npos) {
            portName_ = port;
            return;
        }
    }
    throw MidiOutputError("no MIDI port named like " + name + " (vnplayer --list-outputs)");
}

PortOutput::~PortOutput() = default;

void PortOutput::open(std::int64_t) {
    // Looked up again: port numbers change as clients come and go.
    lastError_.clear();
    const unsigned count = out_->getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        if (out_->getPortName(i) == portName_) {
            out_->openPort(i, "vnplayer music");
            if (out_->isPortOpen()) return;
            break;
        }
    }
    throw MidiOutputError("the MIDI port " + portName_ + " cannot be opened" +
                          (lastError_.empty() ? "" : ": " + lastError_));
}

void PortOutput::send(const std::vector<unsigned char>& bytes) {
    if (out_->isPortOpen()) out_->sendMessage(&bytes);
}

void PortOutput::shortMessage(std::uint32_t message, SendTime) {
    const auto status = static_cast<unsigned char>(message & 0xFF);
    if (status < 0x80) return;  // no status byte: not MIDI a device takes
    std::vector<unsigned char> bytes{status, static_cast<unsigned char>((message >> 8) & 0x7F)};
    const int type = status >> 4;
    if (type != 0xC && type != 0xD)
        bytes.push_back(static_cast<unsigned char>((message >> 16) & 0x7F));
    send(bytes);
}

void PortOutput::longMessage(std::span<const Byte> message, SendTime) {
    send(std::vector<unsigned char>(message.begin(), message.end()));
}

void PortOutput::reset(std::int64_t) {
    for (unsigned char channel = 0; channel < 16; ++channel) {
        const auto control = static_cast<unsigned char>(0xB0 | channel);
        send({control, 64, 0});   // sustain off
        send({control, 123, 0});  // all notes off
    }
}

void PortOutput::close(std::int64_t) {
    out_->closePort();
}

}  // namespace vornal
