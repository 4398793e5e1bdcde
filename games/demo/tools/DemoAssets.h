// The demo game's pictures, sound effects and music, made by code so that anyone can see
// how they were made and make them again: MakeDemoAssets writes them into a folder, and a
// test checks that the committed files are exactly what it writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace demo {

// A small generator of pseudo-random numbers whose sequence is the same everywhere.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed) {}
    std::uint32_t next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_;
    }
    // In [-1, 1).
    double uniform() { return static_cast<double>(next() >> 8) / 8388608.0 - 1.0; }

private:
    std::uint32_t state_;
};

void writePictures(const std::filesystem::path& folder);
void writeSounds(const std::filesystem::path& folder);
void writeMusic(const std::filesystem::path& folder);

void writeFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);

}  // namespace demo
