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

std::vector<check::Finding> CheckPackJob(const PackJob& job,
                                         std::optional<ScriptEncoding> encoding) {
    check::DataFiles data;
    data.entries.emplace();
    for (const fs::path& file : job.dataFiles) {
        if (auto name = EntryNameFor(file)) data.entries->push_back(*name);
    }
    try {
        return check::CheckScriptFile(readScript(job.script), data, encoding).findings;
    } catch (const StreamError& e) {
        throw PackError::from(e);
    }
}

std::optional<ScriptEncoding> EncodingOption(const ParsedArgs& parsed) {
    const std::optional<std::string> name = parsed.value("--encoding");
    if (!name) return std::nullopt;
    if (auto encoding = ParseEncodingName(*name)) return encoding;
    throw UsageError("--encoding takes utf-8 or shift-jis, not '" + *name + "'");
}

namespace {

void printText(std::FILE* out, const std::string& file, const check::CheckedScript& checked) {
    for (const check::Finding& finding : checked.findings)
        std::fprintf(out, "%s\n", check::FormatFinding(file, finding).c_str());
    const std::size_t errors = check::CountOf(checked.findings, check::Severity::Error);
    const std::size_t warnings = checked.findings.size() - errors;
    const std::string read = file + ": read as " + std::string(EncodingName(checked.encoding));
    if (checked.findings.empty()) {
        std::fprintf(out, "%s; no findings\n", read.c_str());
        return;
    }
    std::fprintf(out, "%s; %zu error%s, %zu warning%s\n", read.c_str(), errors,
                 errors == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s");
}

void printJson(std::FILE* out, const std::string& file, const check::CheckedScript& checked) {
    const std::size_t errors = check::CountOf(checked.findings, check::Severity::Error);
    std::string json = "{\"file\":" + JsonString(file) +
                       ",\"encoding\":" + JsonString(EncodingName(checked.encoding)) +
                       ",\"errors\":" + std::to_string(errors) +
                       ",\"warnings\":" + std::to_string(checked.findings.size() - errors) +
                       ",\"findings\":[";
    bool first = true;
    for (const check::Finding& f : checked.findings) {
        json += first ? "" : ",";
        first = false;
        json += "{\"file\":" + JsonString(file) +
                ",\"line\":" + std::to_string(static_cast<std::int64_t>(f.line) + 1) +
                ",\"column\":" + std::to_string(f.column > 0 ? f.column : 1) + ",\"severity\":\"" +
                (f.severity == check::Severity::Error ? "error" : "warning") +
                "\",\"message\":" + JsonString(f.text) + "}";
    }
    json += "]}\n";
    std::fwrite(json.data(), 1, json.size(), out);
}

}  // namespace

std::string JsonString(std::string_view utf8) {
    std::string out = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

int RunCheck(std::span<const std::string> args, std::FILE* out, std::FILE* err) {
    static constexpr OptionSpec specs[] = {
        {"", "--strict", false}, {"", "--encoding", true}, {"", "--format", true}};
    const ParsedArgs parsed = ParseArgs(args, specs);
    if (parsed.positional.size() != 1) throw UsageError("check takes one game");
    const std::optional<ScriptEncoding> encoding = EncodingOption(parsed);
    const std::string format = parsed.value("--format").value_or("text");
    if (format != "text" && format != "json")
        throw UsageError("--format takes text or json, not '" + format + "'");
    const std::string& file = parsed.positional.front();
    check::CheckedScript checked;
    try {
        const CheckedGame game = LoadGameForCheck(file);
        checked = check::CheckScriptFile(game.script, game.data, encoding);
    } catch (const PackError& e) {
        Complain(err, e.what());
        return kExitFailure;
    }
    if (format == "json")
        printJson(out, file, checked);
    else
        printText(out, file, checked);
    const std::size_t errors = check::CountOf(checked.findings, check::Severity::Error);
    const bool failed = errors > 0 || (parsed.has("--strict") && checked.findings.size() > errors);
    return failed ? kExitFailure : kExitOk;
}

}  // namespace vornal::pack
