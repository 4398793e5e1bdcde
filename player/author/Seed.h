// The seed of a game's random numbers (R(x)) on the command line: --seed N makes play
// repeatable; live reload draws one when none is given, so every replay draws alike.
#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <random>
#include <string_view>

namespace vornal {

// Decimal digits, 0 to 4294967295, nothing else.
inline std::optional<std::uint32_t> ParseSeed(std::string_view text) {
    std::uint32_t seed = 0;
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return seed;
}

inline std::uint32_t RandomSeed() {
    return std::random_device{}();
}

}  // namespace vornal
