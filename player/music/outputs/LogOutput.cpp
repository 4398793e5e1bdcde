#include "player/music/outputs/LogOutput.h"

#include <cstdio>

#include "common/ConsoleLines.h"

namespace vornal {

namespace {

void AppendHex(std::string& out, Byte b) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    if (!out.empty()) out.push_back(' ');
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0x0F]);
}

}  // namespace

std::unique_ptr<MidiOutput> MakeLogOutput(const std::string& file) {
    if (file == "-") {
        // Flushed line by line: the log is read while the music plays. Whole lines, under
        // the lock the game's transcript takes on its own thread.
        return std::make_unique<LogOutput>(
            [](std::string_view line) { console::lineNow(stdout, line); });
    }
    std::shared_ptr<std::FILE> out(std::fopen(file.c_str(), "w"), [](std::FILE* f) {
        if (f) std::fclose(f);
    });
    if (!out) throw MidiOutputError("cannot write " + file);
    // Line by line, so the log can be watched while the music plays.
    std::setvbuf(out.get(), nullptr, _IOLBF, 0);
    return std::make_unique<LogOutput>(
        [out](std::string_view line) { console::line(out.get(), line); });
}

std::string FormatMillis(std::int64_t micros) {
    char text[32];
    const long long whole = micros / 1000;
    const long long part = micros % 1000;
    std::snprintf(text, sizeof text, "%lld.%03lld", whole, part < 0 ? -part : part);
    return text;
}

void LogOutput::line(std::int64_t micros, std::string_view what) {
    sink_(FormatMillis(micros) + " " + std::string(what));
}

void LogOutput::open(std::int64_t stepMicros) {
    line(stepMicros, "open");
}

void LogOutput::shortMessage(std::uint32_t message, SendTime at) {
    std::string bytes;
    for (int shift = 0; shift < 24; shift += 8)
        AppendHex(bytes, static_cast<Byte>(message >> shift));
    line(at.stepMicros, bytes);
}

void LogOutput::longMessage(std::span<const Byte> message, SendTime at) {
    std::string bytes;
    for (const Byte b : message)
        AppendHex(bytes, b);
    line(at.stepMicros, bytes);
}

void LogOutput::reset(std::int64_t stepMicros) {
    line(stepMicros, "reset");
}

void LogOutput::close(std::int64_t stepMicros) {
    line(stepMicros, "close");
}

}  // namespace vornal
