// Inputs for the LZSS tests: block-boundary sizes and the kinds of data games hold.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "codec/Stream.h"

namespace vornal::testdata {

inline std::vector<Byte> randomBytes(std::size_t n, std::uint32_t seed, int alphabet = 256) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> dist(0, alphabet - 1);
    std::vector<Byte> v(n);
    for (auto& b : v)
        b = static_cast<Byte>(dist(rng));
    return v;
}

inline std::vector<Byte> periodic(std::size_t n, std::size_t period, std::uint32_t seed) {
    auto unit = randomBytes(period, seed);
    std::vector<Byte> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = unit[i % period];
    return v;
}

// Runs of random length and value, as in pictures with flat areas.
inline std::vector<Byte> runs(std::size_t n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<Byte> v;
    while (v.size() < n) {
        auto value = static_cast<Byte>(rng() % 4);
        std::size_t len = 1 + rng() % 200;
        v.insert(v.end(), std::min(len, n - v.size()), value);
    }
    return v;
}

// Script-like text: words from a small vocabulary, with some Shift-JIS pairs.
inline std::vector<Byte> text(std::size_t n, std::uint32_t seed) {
    static const char* const words[] = {"*SCENE",
                                        "*GOTO",
                                        "*PICTURE",
                                        "open",
                                        "door",
                                        "the",
                                        "key",
                                        "room",
                                        "\x95\x94\x89\xae",
                                        "\x83\x4c\x81\x5b",
                                        "\x82\xa0\x82\xa2",
                                        "\r\n",
                                        "look",
                                        "*END",
                                        "F(12)",
                                        "=",
                                        "1"};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < n) {
        s += words[rng() % std::size(words)];
        s += ' ';
    }
    s.resize(n);
    return {s.begin(), s.end()};
}

inline std::vector<Byte> allByteValues(std::size_t repeat) {
    std::vector<Byte> v;
    for (std::size_t r = 0; r < repeat; ++r)
        for (int b = 0; b < 256; ++b)
            v.push_back(static_cast<Byte>(r % 2 ? 255 - b : b));
    return v;
}

}  // namespace vornal::testdata
