// log:FILE — every message as a line of text, for tests and for authors who want to see
// what their music sends. The format (docs/music.md):
//
//     10.000 open
//     20.000 90 3C 64
//     20.000 F0 41 10 42 12 40 00 7F 00 41 F7
//     1230.000 reset
//     1230.000 close
//
// Times are the step's clock reading in milliseconds with three decimals; a channel
// message is its three bytes, status first; a system exclusive message all its bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "player/music/MidiOutput.h"

namespace vornal {

class LogOutput final : public MidiOutput {
public:
    // Receives each line without its line end.
    using LineSink = std::function<void(std::string_view line)>;
    explicit LogOutput(LineSink sink) : sink_(std::move(sink)) {}

    void open(std::int64_t stepMicros) override;
    void shortMessage(std::uint32_t message, SendTime at) override;
    void longMessage(std::span<const Byte> message, SendTime at) override;
    void reset(std::int64_t stepMicros) override;
    void close(std::int64_t stepMicros) override;

private:
    void line(std::int64_t micros, std::string_view what);
    LineSink sink_;
};

// log:FILE of --output: the log written to FILE line by line, or to standard output for "-".
// Throws MidiOutputError when FILE cannot be written.
std::unique_ptr<MidiOutput> MakeLogOutput(const std::string& file);

// "1234.567" for 1234567 µs.
std::string FormatMillis(std::int64_t micros);

}  // namespace vornal
