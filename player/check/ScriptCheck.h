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

namespace vornal::check {

enum class Severity : std::uint8_t { Error, Warning };

struct Finding {
    std::int32_t line = 0;  // 0-based; the script as a whole is reported on its first line
    Severity severity = Severity::Error;
    std::string text;  // UTF-8
};

// Where the game's data files are: a script's folder, or the entries of its archive
// (Shift-JIS names, as stored).
struct DataFiles {
    std::filesystem::path folder;
    std::optional<std::vector<std::string>> entries;
};

// Every finding, ordered by line.
std::vector<Finding> CheckScript(std::span<const Byte> script, const DataFiles& data);

std::size_t CountOf(std::span<const Finding> findings, Severity severity);

// "FILE:LINE: error: text" (LINE counted from 1).
std::string FormatFinding(const std::string& file, const Finding& finding);

}  // namespace vornal::check
