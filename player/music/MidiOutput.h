// Where the sequencer's messages go: the built-in synthesizer, a system MIDI port, a log or
// a WAV file (player/music/outputs/). The sequencer opens the output when a song starts,
// sends channel and system exclusive messages, and resets and closes it when the song
// ends or is stopped. Every call says when it happens on the music clock.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

#include "codec/Stream.h"

namespace vornal {

// An output that cannot do what was asked; what() names the output and the reason.
class MidiOutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// When a message is sent: the clock reading of the step that sends it, and the moment its
// event became due (never later than the step). Outputs that can schedule play the message
// a constant latency after `dueMicros`; the others send it at once.
struct SendTime {
    std::int64_t stepMicros = 0;
    double dueMicros = 0;
};

class MidiOutput {
public:
    virtual ~MidiOutput() = default;
    // The device is opened for a song. Throws MidiOutputError when it cannot be.
    virtual void open(std::int64_t stepMicros) = 0;
    // A channel message: status in the low byte, then data 1 and data 2.
    virtual void shortMessage(std::uint32_t message, SendTime at) = 0;
    // A system exclusive message, F0 first.
    virtual void longMessage(std::span<const Byte> message, SendTime at) = 0;
    // Every note and the sustain pedal off on all 16 channels.
    virtual void reset(std::int64_t stepMicros) = 0;
    virtual void close(std::int64_t stepMicros) = 0;
    // Why the output stopped working since it was last asked (a file that could not be
    // written), once; empty otherwise. Such an output goes on silently.
    virtual std::string takeFailure() { return {}; }
    // No more messages will come: completes what the output leaves behind (a file's
    // header). Throws MidiOutputError when that fails, or with a failure never taken.
    virtual void finish() {}
    // The level of the sound the output makes, from 0 (silent) to 1 (as made). Outputs that
    // make no sound of their own (a log, a MIDI port) ignore it.
    virtual void setGain(double) {}
};

// Sends nothing anywhere: music without a device keeps its timing and its state.
class NullOutput final : public MidiOutput {
public:
    void open(std::int64_t) override {}
    void shortMessage(std::uint32_t, SendTime) override {}
    void longMessage(std::span<const Byte>, SendTime) override {}
    void reset(std::int64_t) override {}
    void close(std::int64_t) override {}
};

}  // namespace vornal
