// Finds a script's mistakes before a player does: jumps to names that do not exist, value
// fields the player refuses, data files that are missing, and the quieter mistakes the
// player forgives (unknown keywords, names defined twice, dead patterns and lines).
// Built on the engine's own text splitting, keyword table and indexing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "codec/Stream.h"
#include "common/ScriptEncoding.h"

namespace vornal::check {

enum class Severity : std::uint8_t { Error, Warning };

struct Finding {
    std::int32_t line = 0;  // 0-based; the script as a whole is reported on its first line
    Severity severity = Severity::Error;
    std::string text;         // UTF-8
    std::int32_t column = 0;  // in characters from 1; 0 when the finding is the whole line's
};

// Where the game's data files are: a script's folder, or the entries of its archive
// (Shift-JIS names, as stored).
struct DataFiles {
    std::filesystem::path folder;
    std::optional<std::vector<std::string>> entries;
};

// Every finding, ordered by line. `script` is the engine's Shift-JIS.
std::vector<Finding> CheckScript(std::span<const Byte> script, const DataFiles& data);

struct CheckedScript {
    ScriptEncoding encoding = ScriptEncoding::ShiftJis;  // as the script was read
    std::vector<Finding> findings;
};

// The script file's bytes as they are: read in `forced` or the detected encoding, as the
// player reads them (with the player's --encoding), then checked. Adds what stands in the
// way of that reading: characters Shift-JIS cannot hold, bytes that are no UTF-8, lines of
// UTF-8 in a Shift-JIS script, and a forced encoding the player would not detect.
CheckedScript CheckScriptFile(std::span<const Byte> raw, const DataFiles& data,
                              std::optional<ScriptEncoding> forced = std::nullopt);

std::size_t CountOf(std::span<const Finding> findings, Severity severity);

// "FILE:LINE: error: text" (LINE counted from 1), "FILE:LINE:COLUMN: ..." with a column.
std::string FormatFinding(const std::string& file, const Finding& finding);

}  // namespace vornal::check
