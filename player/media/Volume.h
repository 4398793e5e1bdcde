// The music and sound-effect volumes: whole numbers from 0 (silent) to 100 (as made, the
// default), on the command line and in the settings. The level follows the square of the
// number, so that equal steps sound about equally far apart: 50 is a quarter of the
// amplitude (-12 dB), 10 a hundredth (-40 dB).
#pragma once

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

namespace vornal {

inline constexpr int kFullVolume = 100;

inline double VolumeGain(int volume) {
    const double part = static_cast<double>(std::clamp(volume, 0, kFullVolume)) / kFullVolume;
    return part * part;
}

// The volume a command-line value names; none unless it is a whole number from 0 to 100.
inline std::optional<int> ParseVolume(std::string_view text) {
    int volume = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), volume);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || volume < 0 ||
        volume > kFullVolume)
        return std::nullopt;
    return volume;
}

}  // namespace vornal
