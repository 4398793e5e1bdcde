// Streams that misbehave on purpose: one delivers at most a few bytes per read, one
// refuses writes after a given count.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "codec/Stream.h"

namespace vornal::testing {

class TricklingStream final : public Stream {
public:
    TricklingStream(std::vector<Byte> bytes, std::size_t perRead)
        : inner_(std::move(bytes)), perRead_(perRead) {}
    std::size_t read(std::span<Byte> buffer) override {
        return inner_.read(buffer.first(std::min(buffer.size(), perRead_)));
    }
    void write(std::span<const Byte> bytes) override { inner_.write(bytes); }
    std::int64_t position() const override { return inner_.position(); }
    void setPosition(std::int64_t position) override { inner_.setPosition(position); }
    std::int64_t size() const override { return inner_.size(); }
    std::string name() const override { return "trickle"; }

private:
    MemoryStream inner_;
    std::size_t perRead_;
};

class FailingStream final : public Stream {
public:
    explicit FailingStream(std::size_t limit) : limit_(limit) {}
    std::size_t read(std::span<Byte>) override { return 0; }
    void write(std::span<const Byte> bytes) override {
        if (written_ + bytes.size() > limit_) throw StreamError("write error in 'full disk'");
        written_ += bytes.size();
    }
    std::int64_t position() const override { return static_cast<std::int64_t>(written_); }
    void setPosition(std::int64_t) override {}
    std::int64_t size() const override { return static_cast<std::int64_t>(written_); }
    std::string name() const override { return "full disk"; }

private:
    std::size_t limit_;
    std::size_t written_ = 0;
};

}  // namespace vornal::testing
