// The samples of a 16-bit stereo WAV file as WavOutput writes it, interleaved; the header's
// sizes are checked against the file's.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vornal::test {

inline std::vector<std::int16_t> WavSamples(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    std::vector<std::int16_t> samples;
    if (bytes.size() < 44) {
        ADD_FAILURE() << file << " is not a WAV file";
        return samples;
    }
    const auto le32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
        return v;
    };
    EXPECT_EQ(std::string(bytes.data(), 4), "RIFF");
    EXPECT_EQ(le32(4), bytes.size() - 8);
    EXPECT_EQ(le32(40), bytes.size() - 44);
    for (std::size_t at = 44; at + 1 < bytes.size(); at += 2) {
        samples.push_back(
            static_cast<std::int16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8)));
    }
    return samples;
}

// The loudest sample in dB below full scale; -inf for silence.
inline double PeakDbfs(const std::vector<std::int16_t>& samples) {
    int peak = 0;
    for (const std::int16_t sample : samples)
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    return 20 * std::log10(peak / 32768.0);
}

}  // namespace vornal::test
