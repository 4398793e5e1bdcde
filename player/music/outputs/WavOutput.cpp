#include "player/music/outputs/WavOutput.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace vornal {

namespace {

constexpr double kFramesPerMicro = SynthCore::kSampleRate / 1e6;
constexpr std::int64_t kFadeFrames = static_cast<std::int64_t>(SynthCore::kSampleRate);
// A RIFF file counts its size in 32 bits.
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36;

void PutLE(std::FILE* f, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), f);
}

void WriteHeader(std::FILE* f, std::uint32_t dataBytes) {
    const auto rate = static_cast<std::uint32_t>(SynthCore::kSampleRate);
    std::fwrite("RIFF", 1, 4, f);
    PutLE(f, 36 + dataBytes, 4);
    std::fwrite("WAVEfmt ", 1, 8, f);
    PutLE(f, 16, 4);        // format chunk size
    PutLE(f, 1, 2);         // PCM
    PutLE(f, 2, 2);         // channels
    PutLE(f, rate, 4);      // frames per second
    PutLE(f, rate * 4, 4);  // bytes per second
    PutLE(f, 4, 2);         // bytes per frame
    PutLE(f, 16, 2);        // bits per sample
    std::fwrite("data", 1, 4, f);
    PutLE(f, dataBytes, 4);
}

std::int64_t FrameOf(double micros) {
    return std::llround(std::max(micros, 0.0) * kFramesPerMicro);
}

}  // namespace

WavOutput::WavOutput(const std::filesystem::path& file, const std::string& soundFont)
    : core_(soundFont), path_(file) {
    file_.reset(std::fopen(file.c_str(), "wb"));
    if (!file_)
        throw MidiOutputError("cannot write " + file.string() + ": " + std::strerror(errno));
    WriteHeader(file_.get(), 0);
}

WavOutput::~WavOutput() {
    renderTo(FrameOf(static_cast<double>(lastStep_)) + kFadeFrames);
    std::fseek(file_.get(), 0, SEEK_SET);
    WriteHeader(file_.get(), static_cast<std::uint32_t>(dataBytes_));
}

void WavOutput::renderUntilStep(std::int64_t stepMicros) {
    if (stepMicros > lastStep_) {
        renderTo(FrameOf(static_cast<double>(lastStep_)));
        lastStep_ = stepMicros;
    }
}

void WavOutput::renderTo(std::int64_t frame) {
    constexpr int kChunk = 4096;
    std::array<float, kChunk> left;
    std::array<float, kChunk> right;
    while (core_.renderedFrames() < frame && !failed_) {
        const int count =
            static_cast<int>(std::min<std::int64_t>(kChunk, frame - core_.renderedFrames()));
        std::fill_n(left.begin(), count, 0.0f);
        std::fill_n(right.begin(), count, 0.0f);
        core_.render(left.data(), right.data(), count);
        write(std::span(left).first(count), std::span(right).first(count));
    }
}

void WavOutput::write(std::span<const float> left, std::span<const float> right) {
    std::vector<Byte> bytes;
    bytes.reserve(left.size() * 4);
    for (std::size_t i = 0; i < left.size(); ++i) {
        for (const float sample : {left[i], right[i]}) {
            const auto value =
                static_cast<std::int16_t>(std::lrint(std::clamp(sample, -1.0f, 1.0f) * 32767.0f));
            bytes.push_back(static_cast<Byte>(value & 0xFF));
            bytes.push_back(static_cast<Byte>((value >> 8) & 0xFF));
        }
    }
    if (dataBytes_ + bytes.size() > kMaxDataBytes ||
        std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) {
        failed_ = true;  // the file stays a valid WAV of what was written
        return;
    }
    dataBytes_ += bytes.size();
}

void WavOutput::shortMessage(std::uint32_t message, SendTime at) {
    renderUntilStep(at.stepMicros);
    core_.scheduleShort(FrameOf(at.dueMicros), message);
}

void WavOutput::longMessage(std::span<const Byte> message, SendTime at) {
    renderUntilStep(at.stepMicros);
    core_.scheduleLong(FrameOf(at.dueMicros), message);
}

void WavOutput::reset(std::int64_t stepMicros) {
    renderUntilStep(stepMicros);
    core_.scheduleReset(FrameOf(static_cast<double>(stepMicros)));
}

}  // namespace vornal
