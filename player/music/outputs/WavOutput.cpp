#include "player/music/outputs/WavOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

namespace vornal {

namespace {

constexpr double kFramesPerMicro = SynthCore::kSampleRate / 1e6;
constexpr std::int64_t kFadeFrames = static_cast<std::int64_t>(SynthCore::kSampleRate);
constexpr std::uint64_t kFrameBytes = 4;
constexpr std::size_t kHeaderBytes = 44;
// A RIFF file counts its size in 32 bits.
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36;

void putLE(std::array<Byte, kHeaderBytes>& out, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<Byte>((value >> (8 * i)) & 0xFF);
}

std::array<Byte, kHeaderBytes> header(std::uint32_t dataBytes) {
    const auto rate = static_cast<std::uint32_t>(SynthCore::kSampleRate);
    std::array<Byte, kHeaderBytes> h{};
    std::memcpy(h.data(), "RIFF", 4);
    putLE(h, 4, 36 + dataBytes, 4);
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    putLE(h, 16, 16, 4);        // format chunk size
    putLE(h, 20, 1, 2);         // PCM
    putLE(h, 22, 2, 2);         // channels
    putLE(h, 24, rate, 4);      // frames per second
    putLE(h, 28, rate * 4, 4);  // bytes per second
    putLE(h, 32, 4, 2);         // bytes per frame
    putLE(h, 34, 16, 2);        // bits per sample
    std::memcpy(h.data() + 36, "data", 4);
    putLE(h, 40, dataBytes, 4);
    return h;
}

std::int64_t FrameOf(double micros) {
    return std::llround(std::max(micros, 0.0) * kFramesPerMicro);
}

// All of `bytes` at the descriptor's position (or at `offset`); returns how many the
// system took, which is fewer only with errno set.
std::size_t writeAll(int fd, std::span<const Byte> bytes, off_t offset = -1) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = offset < 0 ? ::write(fd, bytes.data() + done, bytes.size() - done)
                                     : ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                                offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

}  // namespace

WavOutput::WavOutput(const std::filesystem::path& file, const std::string& soundFont)
    : core_(soundFont), path_(file) {
    fd_ = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0)
        throw MidiOutputError("cannot write " + file.string() + ": " + std::strerror(errno));
    const auto h = header(0);
    if (writeAll(fd_, h) != h.size()) {
        const int error = errno;
        closeFile();
        throw MidiOutputError("cannot write " + file.string() + ": " + std::strerror(error));
    }
}

WavOutput::~WavOutput() {
    try {
        finish();
    } catch (const MidiOutputError&) {
        // Nobody is left to tell; the file is as complete as it could be made.
    }
    closeFile();
}

void WavOutput::closeFile() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void WavOutput::fail(const std::string& why) {
    if (!failed_) untold_ = "cannot write " + path_.string() + ": " + why;
    failed_ = true;
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
    std::vector<Byte> bytes;
    bytes.reserve(kChunk * kFrameBytes);
    while (core_.renderedFrames() < frame && !failed_ && !finished_) {
        const int count =
            static_cast<int>(std::min<std::int64_t>(kChunk, frame - core_.renderedFrames()));
        std::fill_n(left.begin(), count, 0.0f);
        std::fill_n(right.begin(), count, 0.0f);
        core_.render(left.data(), right.data(), count);
        bytes.clear();
        for (int i = 0; i < count; ++i) {
            for (const float sample : {left[i], right[i]}) {
                const auto value = static_cast<std::int16_t>(
                    std::lrint(std::clamp(sample, -1.0f, 1.0f) * 32767.0f));
                bytes.push_back(static_cast<Byte>(value & 0xFF));
                bytes.push_back(static_cast<Byte>((value >> 8) & 0xFF));
            }
        }
        write(bytes);
    }
}

void WavOutput::write(std::span<const Byte> bytes) {
    if (dataBytes_ + bytes.size() > kMaxDataBytes)
        return fail("a WAV file holds at most 4 GiB of samples");
    const std::size_t taken = writeAll(fd_, bytes);
    dataBytes_ += taken;
    if (taken != bytes.size()) fail(std::strerror(errno));
}

void WavOutput::finish() {
    if (finished_) return;
    renderTo(FrameOf(static_cast<double>(lastStep_)) + kFadeFrames);
    finished_ = true;
    // Whole frames only: a write cut short by a full disk may have left part of one.
    const std::uint64_t whole = dataBytes_ - dataBytes_ % kFrameBytes;
    struct stat info {};
    const bool regular = ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
    const auto h = header(static_cast<std::uint32_t>(whole));
    const auto complete = [&] {
        if (regular && ::ftruncate(fd_, static_cast<off_t>(kHeaderBytes + whole)) != 0)
            return false;
        if (writeAll(fd_, h, 0) != h.size()) return false;
        const int fd = std::exchange(fd_, -1);
        return ::close(fd) == 0;
    };
    if (!complete() && untold_.empty())
        untold_ = "cannot complete " + path_.string() + ": " + std::strerror(errno);
    dataBytes_ = whole;
    closeFile();
    if (!untold_.empty()) throw MidiOutputError(std::exchange(untold_, {}));
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
