// The one byte-stream type of the system: a memory stream and a file stream.
//
// Contract: read() returns how many bytes it delivered (fewer at the end);
// readExact() and writeExact() either move all n bytes or throw StreamError,
// whose message names the stream (the file's path for a file stream).
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "codec/FileFailure.h"

namespace vornal {

using Byte = std::uint8_t;

class StreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    // A system call's refusal; what() is its English text.
    explicit StreamError(FileFailure failure);

    // The refusal behind this error, when the system refused (nullptr otherwise).
    const FileFailure* failure() const { return failure_.get(); }

private:
    std::shared_ptr<const FileFailure> failure_;  // shared: exceptions are copied
};

class Stream {
public:
    virtual ~Stream() = default;
    Stream() = default;
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    // Reads up to buffer.size() bytes; returns the count read (0 at the end).
    virtual std::size_t read(std::span<Byte> buffer) = 0;
    // Writes all bytes or throws.
    virtual void write(std::span<const Byte> bytes) = 0;

    virtual std::int64_t position() const = 0;
    virtual void setPosition(std::int64_t position) = 0;
    virtual std::int64_t size() const = 0;

    // What error messages call this stream: a path, or a description.
    virtual std::string name() const = 0;

    // A short read fails with "read error" naming the stream.
    void readExact(std::span<Byte> buffer);
    void writeExact(std::span<const Byte> bytes) { write(bytes); }
    // Moves the position forward; fails when that passes the end.
    void seekForward(std::int64_t count);
    std::int64_t remaining() const { return size() - position(); }
    // Copies exactly `count` bytes from `source` (at its position) to this stream.
    void copyFrom(Stream& source, std::int64_t count);

    // Little-endian 32-bit signed integers, the only integer type of our files.
    std::int32_t readInt32();
    void writeInt32(std::int32_t value);
};

class MemoryStream final : public Stream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<Byte> bytes) : data_(std::move(bytes)) {}

    std::size_t read(std::span<Byte> buffer) override;
    void write(std::span<const Byte> bytes) override;
    std::int64_t position() const override { return static_cast<std::int64_t>(pos_); }
    void setPosition(std::int64_t position) override;
    std::int64_t size() const override { return static_cast<std::int64_t>(data_.size()); }
    std::string name() const override { return name_.empty() ? "memory stream" : name_; }
    void setName(std::string name) { name_ = std::move(name); }

    // Empties the stream and rewinds it.
    void clear();
    void reserve(std::size_t bytes) { data_.reserve(bytes); }
    std::span<const Byte> bytes() const { return data_; }
    std::vector<Byte> takeBytes();

    // Replaces the content with a whole file; the position becomes 0.
    void loadFromFile(const std::filesystem::path& path);
    void saveToFile(const std::filesystem::path& path) const;

private:
    std::vector<Byte> data_;
    std::size_t pos_ = 0;
    std::string name_;
};

class FileStream final : public Stream {
public:
    enum class Mode { read, create };
    // read: an existing file, read-only. create: a new file, replacing one that exists.
    FileStream(const std::filesystem::path& path, Mode mode);
    // Writes through a descriptor opened for writing, which it takes over; messages call
    // the stream `name`.
    FileStream(int descriptor, std::filesystem::path name);

    std::size_t read(std::span<Byte> buffer) override;
    void write(std::span<const Byte> bytes) override;
    std::int64_t position() const override;
    void setPosition(std::int64_t position) override;
    std::int64_t size() const override;
    std::string name() const override { return path_.string(); }

    // Pushes buffered bytes to the file and fails if the system refuses them.
    void flush();
    // Flushes, then waits until the system has the bytes on the disk.
    void sync();
    // Flushes and closes, failing if the system refuses either; the stream is done then.
    void close();
    const std::filesystem::path& path() const { return path_; }

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::filesystem::path path_;
    std::unique_ptr<std::FILE, Closer> file_;
};

// Reads a whole file; the error names the path.
std::vector<Byte> readWholeFile(const std::filesystem::path& path);

}  // namespace vornal
