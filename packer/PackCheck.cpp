#include "packer/PackCheck.h"

#include <system_error>

#include "codec/Archive.h"
#include "common/SjisText.h"
#include "packer/VnpackCli.h"
#include "player/core/ScriptText.h"

namespace vornal::pack {

namespace fs = std::filesystem;

namespace {

std::vector<Byte> readScript(const fs::path& file) {
    std::error_code error;
    // In Japanese as the pack tool's checks say it: a script gone or grown since then.
    if (!fs::is_regular_file(file, error)) {
        throw PackError("cannot read '" + file.string() + "'",
                        "スクリプトファイル" + file.string() + "が存在しません。");
    }
    FileStream stream(file, FileStream::Mode::read);
    if (stream.size() > kMaxScriptBytes) {
        throw PackError("'" + file.string() + "' is too large",
                        "スクリプトファイル" + file.string() + "は大きすぎます。");
    }
    std::vector<Byte> bytes(static_cast<std::size_t>(stream.size()));
    stream.readExact(bytes);
    return bytes;
}

CheckedGame loadArchive(const fs::path& file) {
    FileStream archive(file, FileStream::Mode::read);
    CheckedGame game;
    game.data.entries.emplace();
    bool haveScript = false;
    const bool isArchive = WalkArchive(archive, [&](const ArchiveEntryInfo& entry) {
        if (entry.name == kScriptEntryName && !haveScript) {
            MemoryStream script;
            ReadArchiveData(entry, archive, script);
            game.script = script.takeBytes();
            haveScript = true;
        } else {
            game.data.entries->push_back(entry.name);
        }
        return true;
    });
    if (!isArchive || !haveScript)
        throw PackError("'" + file.string() + "' is no scenario archive with a script");
    return game;
}

}  // namespace

CheckedGame LoadGameForCheck(const fs::path& game) {
    try {
        if (sjis::upperAscii(game.extension().string()) == ".VNP") return loadArchive(game);
        CheckedGame checked;
        checked.script = readScript(game);
        checked.data.folder = game.parent_path().empty() ? fs::path(".") : game.parent_path();
        return checked;
    } catch (const StreamError& e) {
        throw PackError::from(e);
    }
}

std::vector<check::Finding> CheckPackJob(const PackJob& job) {
    check::DataFiles data;
    data.entries.emplace();
    for (const fs::path& file : job.dataFiles) {
        if (auto name = EntryNameFor(file)) data.entries->push_back(*name);
    }
    try {
        return check::CheckScript(readScript(job.script), data);
    } catch (const StreamError& e) {
        throw PackError::from(e);
    }
}

int RunCheck(std::span<const std::string> args, std::FILE* out, std::FILE* err) {
    static constexpr OptionSpec specs[] = {{"", "--strict", false}};
    const ParsedArgs parsed = ParseArgs(args, specs);
    if (parsed.positional.size() != 1) throw UsageError("check takes one game");
    const std::string& file = parsed.positional.front();
    std::vector<check::Finding> findings;
    try {
        const CheckedGame game = LoadGameForCheck(file);
        findings = check::CheckScript(game.script, game.data);
    } catch (const PackError& e) {
        Complain(err, e.what());
        return kExitFailure;
    }
    for (const check::Finding& finding : findings)
        std::fprintf(out, "%s\n", check::FormatFinding(file, finding).c_str());
    const std::size_t errors = check::CountOf(findings, check::Severity::Error);
    const std::size_t warnings = findings.size() - errors;
    if (!findings.empty()) {
        std::fprintf(out, "%s: %zu error%s, %zu warning%s\n", file.c_str(), errors,
                     errors == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s");
    }
    const bool failed = errors > 0 || (parsed.has("--strict") && warnings > 0);
    return failed ? kExitFailure : kExitOk;
}

}  // namespace vornal::pack
