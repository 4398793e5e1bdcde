// vnpack on the command line: create, list and extract scenario archives (usage:
// docs/vnpack.md). Exit codes: 0 done, 1 failure, 2 wrong usage.
#pragma once

#include <cstdio>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vornal::pack {

enum ExitCode : int { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

// Runs one command line; `args` excludes the program name. Normal output goes to `out`,
// messages and the progress line (when `err` is a terminal) to `err`.
int RunVnpack(std::span<const std::string> args, std::FILE* out, std::FILE* err);

// The usage lines, as printed on a usage error.
std::string_view VnpackUsage();

// -h or --help stands among `args` before any "--".
bool WantsHelp(std::span<const std::string> args);

// ---- shared by the subcommands ----

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct OptionSpec {
    std::string_view shortName;  // "-o", or empty
    std::string_view longName;   // "--output"
    bool takesValue;
};

struct ParsedArgs {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;  // long name, value ("" for flags)

    bool has(std::string_view longName) const;
    std::optional<std::string> value(std::string_view longName) const;
};

// Options may stand anywhere among the other arguments; "--" ends them. Throws UsageError.
ParsedArgs ParseArgs(std::span<const std::string> args, std::span<const OptionSpec> specs);

// Prints "vnpack: message" on `err`.
void Complain(std::FILE* err, const std::string& message);

int RunList(std::span<const std::string> args, std::FILE* out, std::FILE* err);
int RunExtract(std::span<const std::string> args, std::FILE* out, std::FILE* err);

}  // namespace vornal::pack
