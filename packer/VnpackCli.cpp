#include "packer/VnpackCli.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/StopSignals.h"
#include "packer/PackCheck.h"
#include "packer/PackProcedure.h"
#include "packer/PackTest.h"

namespace vornal::pack {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kVersion = "0.10";

constexpr std::string_view kUsage =
    "usage: vnpack create [-f] [--no-check] [--encoding E] [-o ARCHIVE.vnp] SCRIPT.vns [DATA ...]\n"
    "       vnpack check [--strict] [--encoding E] [--format text|json] GAME\n"
    "       vnpack test [--encoding E] [--seed N] GAME WALKTHROUGH\n"
    "       vnpack [gui [SCRIPT.vns] [DATA ...]]\n"
    "       vnpack list ARCHIVE.vnp\n"
    "       vnpack extract [-f] [-C DIR] ARCHIVE.vnp [NAME ...]\n"
    "       vnpack --help | --version\n";

constexpr std::string_view kHelp =
    "\n"
    "Packs a game's script and data files into a scenario archive, lists an archive\n"
    "and unpacks one.\n"
    "\n"
    "  create   entry *SCRIPT* from SCRIPT, then each DATA file in order, named by its\n"
    "           file name in upper case; ARCHIVE defaults to SCRIPT with extension .vnp\n"
    "  check    the script's mistakes, one line each (FILE:LINE: error|warning: text),\n"
    "           then the encoding it was read in and a count; GAME is a script beside\n"
    "           its data files, or an archive\n"
    "  test     plays WALKTHROUGH (docs/walkthrough.md) against GAME and reports the\n"
    "           first expectation that fails\n"
    "  list     one line per entry: unpacked size, stored size, ratio, name; then a total\n"
    "  extract  every entry (or the NAMEs, as list shows them) into DIR (default: the\n"
    "           current folder); *SCRIPT* is written as script.vns\n"
    "  gui      the pack tool's window (also vnpack alone, given a display), with the\n"
    "           .vns file in the script field and the other files and folders listed\n"
    "\n"
    "  -o, --output FILE     the archive to write\n"
    "  -C, --directory DIR   where extract writes\n"
    "  -f, --force           replace files that exist\n"
    "      --no-check        create even when the script has errors\n"
    "      --strict          check fails on warnings too\n"
    "      --encoding E      read the script as utf-8 or shift-jis (else detected)\n"
    "      --format F        check writes text (default) or json\n"
    "      --seed N          test seeds the game's random numbers with N\n"
    "  -h, --help            this text\n"
    "      --version         the version\n"
    "\n"
    "Exit status: 0 done, 1 failure, 2 wrong usage; 128 + N when stopped by signal N\n"
    "(130 for SIGINT, 143 for SIGTERM), the archive or file being written left as it was.\n";

void printUsage(std::FILE* to) {
    std::fwrite(kUsage.data(), 1, kUsage.size(), to);
}

// "\r" + clear-to-end keeps the line in place; only drawn on a terminal.
class ProgressLine {
public:
    explicit ProgressLine(std::FILE* err) : err_(err), shown_(isatty(fileno(err)) == 1) {}
    ~ProgressLine() { clear(); }

    void show(const PackProgress& p) {
        if (!shown_) return;
        if (p.file == nullptr) return clear();
        std::fprintf(err_, "\r\033[Kvnpack: packing %zu/%zu %s", p.entry + 1, p.entryCount,
                     p.file->filename().string().c_str());
        std::fflush(err_);
        drawn_ = true;
    }
    void clear() {
        if (!drawn_) return;
        std::fputs("\r\033[K", err_);
        std::fflush(err_);
        drawn_ = false;
    }

private:
    std::FILE* err_;
    bool shown_;
    bool drawn_ = false;
};

int runCreate(std::span<const std::string> args, std::FILE* err) {
    static constexpr OptionSpec specs[] = {{"-o", "--output", true},
                                           {"-f", "--force", false},
                                           {"", "--no-check", false},
                                           {"", "--encoding", true}};
    ParsedArgs parsed = ParseArgs(args, specs);
    const std::optional<ScriptEncoding> encoding = EncodingOption(parsed);
    if (parsed.positional.empty() || parsed.positional.front().empty()) {
        // The same words the pack tool's window uses when no script is chosen.
        throw UsageError(*CheckScript(fs::path()));
    }
    PackJob job;
    job.script = parsed.positional.front();
    job.dataFiles.assign(parsed.positional.begin() + 1, parsed.positional.end());
    std::optional<std::string> output = parsed.value("--output");
    if (output && output->empty()) throw UsageError("--output needs a file name");
    job.archive = output ? fs::path(*output) : ProposedArchivePath(job.script);

    // Every check comes before anything is read or written.
    if (auto problem = CheckScript(job.script)) {
        Complain(err, *problem);
        return kExitFailure;
    }
    std::error_code ec;
    fs::file_status target = fs::symlink_status(job.archive, ec);
    if (fs::is_directory(fs::status(job.archive, ec))) {
        Complain(err, "'" + job.archive.string() + "' is a folder");
        return kExitFailure;
    }
    if (auto problem = CheckArchivePath(job)) {
        Complain(err, *problem);
        return kExitFailure;
    }
    if (fs::exists(target) && !parsed.has("--force")) {
        Complain(err, "'" + job.archive.string() + "' exists; add --force to replace it");
        return kExitFailure;
    }
    if (auto problem = CheckDataFiles(job.dataFiles)) {
        Complain(err, *problem);
        return kExitFailure;
    }

    // A script whose mistakes would stop a player is not packed unless asked to.
    if (!parsed.has("--no-check")) {
        try {
            const std::vector<check::Finding> findings = CheckPackJob(job, encoding);
            const std::size_t errors = check::CountOf(findings, check::Severity::Error);
            if (errors > 0) {
                for (const check::Finding& f : findings) {
                    if (f.severity == check::Severity::Error)
                        std::fprintf(err, "%s\n",
                                     check::FormatFinding(job.script.string(), f).c_str());
                }
                Complain(err, job.script.string() + " has " + std::to_string(errors) +
                                  (errors == 1 ? " error" : " errors") +
                                  "; nothing was packed (--no-check packs it anyway)");
                return kExitFailure;
            }
        } catch (const PackError& e) {
            Complain(err, e.what());
            return kExitFailure;
        }
    }

    ProgressLine line(err);
    stop::installHandlers({.restartCalls = true, .secondSignalEnds = false});
    try {
        WriteArchiveFile(
            job, [&](const PackProgress& p) { line.show(p); }, [&] { return stop::requested(); });
    } catch (const PackError& e) {
        line.clear();
        Complain(err, e.what());
        return kExitFailure;
    } catch (const PackStopped&) {
        line.clear();
        Complain(err, "stopped; '" + job.archive.string() + "' left as it was");
        return stop::exitCode();
    }
    return kExitOk;
}

}  // namespace

std::string_view VnpackUsage() {
    return kUsage;
}

bool WantsHelp(std::span<const std::string> args) {
    for (const std::string& a : args) {
        if (a == "--") return false;
        if (a == "-h" || a == "--help") return true;
    }
    return false;
}

bool ParsedArgs::has(std::string_view longName) const {
    return std::any_of(options.begin(), options.end(),
                       [&](const auto& o) { return o.first == longName; });
}

std::optional<std::string> ParsedArgs::value(std::string_view longName) const {
    std::optional<std::string> found;
    for (const auto& o : options) {
        if (o.first == longName) found = o.second;  // the last one given wins
    }
    return found;
}

ParsedArgs ParseArgs(std::span<const std::string> args, std::span<const OptionSpec> specs) {
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            parsed.positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = a;
        std::optional<std::string> inlineValue;
        if (auto eq = a.find('='); a.starts_with("--") && eq != std::string::npos) {
            name = a.substr(0, eq);
            inlineValue = a.substr(eq + 1);
        }
        auto spec = std::find_if(specs.begin(), specs.end(), [&](const OptionSpec& s) {
            return name == s.shortName || name == s.longName;
        });
        if (spec == specs.end()) throw UsageError("unknown option '" + a + "'");
        if (!spec->takesValue) {
            if (inlineValue) throw UsageError("'" + name + "' takes no value");
            parsed.options.emplace_back(spec->longName, "");
            continue;
        }
        if (!inlineValue) {
            if (i + 1 == args.size()) throw UsageError("'" + name + "' needs a value");
            inlineValue = args[++i];
        }
        parsed.options.emplace_back(spec->longName, *inlineValue);
    }
    return parsed;
}

void Complain(std::FILE* err, const std::string& message) {
    std::fprintf(err, "vnpack: %s\n", message.c_str());
}

int RunVnpack(std::span<const std::string> args, std::FILE* out, std::FILE* err) {
    // Reached without arguments only when there is no window to open.
    if (args.empty()) {
        printUsage(err);
        return kExitUsage;
    }
    const std::string& command = args.front();
    if (command == "--version" || command == "-V") {
        std::fprintf(out, "vnpack (VORNAL Pack) %s\n", kVersion.data());
        return kExitOk;
    }
    if (command == "--help" || command == "-h" || WantsHelp(args.subspan(1))) {
        printUsage(out);
        std::fwrite(kHelp.data(), 1, kHelp.size(), out);
        return kExitOk;
    }
    try {
        if (command == "create") return runCreate(args.subspan(1), err);
        if (command == "check") return RunCheck(args.subspan(1), out, err);
        if (command == "test") return RunTest(args.subspan(1), out, err);
        if (command == "list") return RunList(args.subspan(1), out, err);
        if (command == "extract") return RunExtract(args.subspan(1), out, err);
        throw UsageError("unknown command '" + command + "'");
    } catch (const UsageError& e) {
        Complain(err, e.what());
        printUsage(err);
        return kExitUsage;
    }
}

}  // namespace vornal::pack
