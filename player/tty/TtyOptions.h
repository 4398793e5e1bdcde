// The command line of vnplayer --tty.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

#include "common/ScriptEncoding.h"
#include "player/media/Volume.h"

namespace vornal::tty {

struct TtyOptions {
    enum class Action { Play, Help, Version };
    Action action = Action::Play;
    bool trace = false;
    bool fast = false;
    bool mute = false;
    std::string output;                      // --output NAME: the music output
    int musicVolume = kFullVolume;           // --music-volume N, 0 to 100
    int soundVolume = kFullVolume;           // --sound-volume N, 0 to 100
    std::filesystem::path pictureOut;        // --picture-out FILE: the picture area, at exit
    std::optional<std::uint32_t> seed;       // --seed N: R(x) draws the same each run
    std::optional<ScriptEncoding> encoding;  // --encoding E: else detected
    bool watch = false;                      // --watch: reopen and replay on changes
    std::filesystem::path game;
};

// A command line that cannot be obeyed; the text says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// argv[0] is the program; "--tty" is accepted (it is how main() chose this host).
TtyOptions parseTtyOptions(std::span<const char* const> args);

std::string ttyUsage();
std::string ttyVersion();

}  // namespace vornal::tty
