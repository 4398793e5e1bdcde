// vnpack check, and the check that vnpack create runs before it packs (docs/vnpack.md).
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "packer/PackProcedure.h"
#include "packer/VnpackCli.h"
#include "player/check/ScriptCheck.h"

namespace vornal::pack {

// A game as the checker sees it: the script's bytes and where its data files are.
struct CheckedGame {
    std::vector<Byte> script;
    check::DataFiles data;
};

// A .vnp (any letter case) is read as an archive whose entries are the data files; any
// other file as a script beside its data files. Throws PackError naming the file.
CheckedGame LoadGameForCheck(const std::filesystem::path& game);

// The script of `job` against the data files the archive will hold, read in `encoding` or
// the one detected. Throws PackError when the script cannot be read.
std::vector<check::Finding> CheckPackJob(const PackJob& job,
                                         std::optional<ScriptEncoding> encoding = std::nullopt);

// --encoding NAME among the parsed options; nullopt without it. Throws UsageError.
std::optional<ScriptEncoding> EncodingOption(const ParsedArgs& parsed);

// vnpack check [--strict] [--encoding E] [--format text|json] GAME: the findings on
// `out`; exit 1 when there are errors (or, with --strict, warnings).
int RunCheck(std::span<const std::string> args, std::FILE* out, std::FILE* err);

// `utf8` as a JSON string, quotes included.
std::string JsonString(std::string_view utf8);

}  // namespace vornal::pack
