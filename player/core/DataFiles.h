// Data file names as scripts write them (Shift-JIS, Windows separators) and finding them
// in a game's folder on Linux, where games unpacked from Windows may differ in letter case.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vornal {

// The name with `extension` (".bmp") added when it has none: a name has one when a "."
// follows its last "\" and its last ":" (a trailing "." counts).
std::string WithDefaultExtension(std::string_view name, std::string_view extension);

// What follows the last "\" or ":" of the name (the whole name when it has neither).
std::string_view FileNamePart(std::string_view name);

// The extension from the last "." of the file-name part, "." included; empty when none.
std::string_view ExtensionOf(std::string_view name);

// A script's file name as a path relative to the game's folder: UTF-8, "\" and "/" both
// separators, leading separators dropped.
std::filesystem::path DataFilePath(std::string_view name);

// `relative` under `folder`: the exact path when it exists, else each part matched
// without regard to ASCII letter case. Of several parts that differ only in case, the
// exact one wins, else the first in byte order. nullopt when nothing matches.
std::optional<std::filesystem::path> FindCaseBlind(const std::filesystem::path& folder,
                                                   const std::filesystem::path& relative);

}  // namespace vornal
