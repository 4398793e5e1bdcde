#include "codec/Stream.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace vornal {

namespace {

[[noreturn]] void throwSystemError(FileFailure::Action action, const std::filesystem::path& file) {
    throw StreamError(FileFailure{action, file, errno});
}

}  // namespace

StreamError::StreamError(FileFailure failure)
    : std::runtime_error(EnglishText(failure)),
      failure_(std::make_shared<const FileFailure>(std::move(failure))) {}

void Stream::readExact(std::span<Byte> buffer) {
    std::size_t got = read(buffer);
    if (got != buffer.size()) {
        throw StreamError("read error in '" + name() + "': " + std::to_string(buffer.size()) +
                          " bytes wanted, " + std::to_string(got) + " left");
    }
}

void Stream::seekForward(std::int64_t count) {
    if (count < 0 || count > remaining()) {
        throw StreamError("read error in '" + name() + "': cannot skip " + std::to_string(count) +
                          " bytes, " + std::to_string(remaining()) + " left");
    }
    setPosition(position() + count);
}

void Stream::copyFrom(Stream& source, std::int64_t count) {
    if (count < 0) throw StreamError("cannot copy a negative count from '" + source.name() + "'");
    std::array<Byte, 64 * 1024> buffer;
    while (count > 0) {
        auto chunk = static_cast<std::size_t>(std::min<std::int64_t>(count, buffer.size()));
        source.readExact(std::span(buffer.data(), chunk));
        write(std::span(buffer.data(), chunk));
        count -= static_cast<std::int64_t>(chunk);
    }
}

std::int32_t Stream::readInt32() {
    std::array<Byte, 4> b;
    readExact(b);
    auto value = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                 static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    return static_cast<std::int32_t>(value);
}

void Stream::writeInt32(std::int32_t value) {
    auto v = static_cast<std::uint32_t>(value);
    std::array<Byte, 4> b{static_cast<Byte>(v), static_cast<Byte>(v >> 8),
                          static_cast<Byte>(v >> 16), static_cast<Byte>(v >> 24)};
    write(b);
}

// ---- MemoryStream ----

std::size_t MemoryStream::read(std::span<Byte> buffer) {
    std::size_t n = std::min(buffer.size(), data_.size() - std::min(pos_, data_.size()));
    if (n > 0) std::memcpy(buffer.data(), data_.data() + pos_, n);
    pos_ += n;
    return n;
}

void MemoryStream::write(std::span<const Byte> bytes) {
    if (bytes.empty()) return;
    std::size_t end = pos_ + bytes.size();
    if (end > data_.size()) data_.resize(end);
    std::memcpy(data_.data() + pos_, bytes.data(), bytes.size());
    pos_ = end;
}

void MemoryStream::setPosition(std::int64_t position) {
    if (position < 0) throw StreamError("negative position in '" + name() + "'");
    pos_ = static_cast<std::size_t>(position);
}

void MemoryStream::clear() {
    data_.clear();
    pos_ = 0;
}

std::vector<Byte> MemoryStream::takeBytes() {
    pos_ = 0;
    return std::move(data_);
}

void MemoryStream::loadFromFile(const std::filesystem::path& path) {
    data_ = readWholeFile(path);
    pos_ = 0;
}

void MemoryStream::saveToFile(const std::filesystem::path& path) const {
    FileStream file(path, FileStream::Mode::create);
    file.write(data_);
    file.flush();
}

// ---- FileStream ----

FileStream::FileStream(const std::filesystem::path& path, Mode mode) : path_(path) {
    file_.reset(std::fopen(path.c_str(), mode == Mode::read ? "rb" : "wb"));
    if (!file_) {
        throwSystemError(
            mode == Mode::read ? FileFailure::Action::open : FileFailure::Action::create, path);
    }
}

FileStream::FileStream(int descriptor, std::filesystem::path name) : path_(std::move(name)) {
    file_.reset(::fdopen(descriptor, "wb"));
    if (!file_) {
        const int error = errno;
        ::close(descriptor);
        throw StreamError(FileFailure{FileFailure::Action::create, path_, error});
    }
}

std::size_t FileStream::read(std::span<Byte> buffer) {
    if (buffer.empty()) return 0;
    std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file_.get());
    if (got < buffer.size() && std::ferror(file_.get())) {
        throwSystemError(FileFailure::Action::read, path_);
    }
    return got;
}

void FileStream::write(std::span<const Byte> bytes) {
    if (bytes.empty()) return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) {
        throwSystemError(FileFailure::Action::write, path_);
    }
}

std::int64_t FileStream::position() const {
    return std::ftell(file_.get());
}

void FileStream::setPosition(std::int64_t position) {
    if (position < 0 || std::fseek(file_.get(), static_cast<long>(position), SEEK_SET) != 0) {
        throw StreamError("cannot seek in '" + name() + "'");
    }
}

std::int64_t FileStream::size() const {
    long here = std::ftell(file_.get());
    std::fseek(file_.get(), 0, SEEK_END);
    long end = std::ftell(file_.get());
    std::fseek(file_.get(), here, SEEK_SET);
    return end;
}

void FileStream::flush() {
    if (std::fflush(file_.get()) != 0) throwSystemError(FileFailure::Action::write, path_);
}

void FileStream::sync() {
    flush();
    if (::fsync(::fileno(file_.get())) != 0) throwSystemError(FileFailure::Action::write, path_);
}

void FileStream::close() {
    if (!file_) return;
    // fclose flushes; its failure is the last word on whether the bytes were taken.
    if (std::fclose(file_.release()) != 0) throwSystemError(FileFailure::Action::write, path_);
}

std::vector<Byte> readWholeFile(const std::filesystem::path& path) {
    FileStream file(path, FileStream::Mode::read);
    std::vector<Byte> bytes(static_cast<std::size_t>(file.size()));
    file.readExact(bytes);
    return bytes;
}

}  // namespace vornal
