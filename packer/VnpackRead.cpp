// The reading subcommands: list and extract.
#include <algorithm>
#include <cinttypes>
#include <filesystem>
#include <set>
#include <system_error>

#include "codec/Archive.h"
#include "codec/PendingFile.h"
#include "codec/Stream.h"
#include "common/SjisText.h"
#include "common/StopSignals.h"
#include "packer/VnpackCli.h"

namespace vornal::pack {

namespace fs = std::filesystem;

namespace {

// An archive is outside data: its names must not drive the terminal.
std::string printable(std::string_view sjisName) {
    std::string text = sjis::toUtf8(sjisName);
    for (char& c : text) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) c = '?';
    }
    return text;
}

std::string ratio(std::int64_t stored, std::int64_t unpacked) {
    if (unpacked == 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%",
                  100.0 * static_cast<double>(stored) / static_cast<double>(unpacked));
    return text;
}

std::string onePositional(const ParsedArgs& parsed, const char* what) {
    if (parsed.positional.empty()) throw UsageError(std::string("no ") + what + " given");
    return parsed.positional.front();
}

// The file an entry is extracted to, or nullopt when its name could leave the folder.
std::optional<std::string> outputName(const ArchiveEntryInfo& e) {
    if (e.name == kScriptEntryName) return std::string("script.vns");
    std::string name = sjis::toUtf8(e.name);
    if (name.empty() || name == "." || name == "..") return std::nullopt;
    // Checked on the converted name: the trail byte of a Shift-JIS character may be 0x5C
    // and is no separator.
    for (char c : name) {
        auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) return std::nullopt;
    }
    return name;
}

}  // namespace

int RunList(std::span<const std::string> args, std::FILE* out, std::FILE* err) {
    ParsedArgs parsed = ParseArgs(args, {});
    const std::string path = onePositional(parsed, "archive");
    if (parsed.positional.size() > 1) throw UsageError("list takes one archive");
    try {
        FileStream archive(path, FileStream::Mode::read);
        // Judged whole, as the player judges it when it opens the game: every sound entry
        // is listed, and each damage is named once.
        const ArchiveSurvey survey = SurveyArchive(archive);
        if (!survey.isArchive) {
            Complain(err, "'" + path + "' is not a scenario archive");
            return kExitFailure;
        }
        if (!survey.damage.empty()) {
            Complain(err, survey.damage);
            return kExitFailure;
        }
        std::int64_t unpacked = 0, stored = 0, count = 0;
        for (const SurveyedEntry& entry : survey.entries) {
            if (!entry.damage.empty()) continue;
            const ArchiveEntryInfo& e = entry.info;
            std::fprintf(out, "%12" PRId32 " %12" PRId32 " %7s  %s\n", e.unpackedSize, e.dataLength,
                         ratio(e.dataLength, e.unpackedSize).c_str(), printable(e.name).c_str());
            unpacked += e.unpackedSize;
            stored += e.dataLength;
            ++count;
        }
        std::fprintf(out, "%12" PRId64 " %12" PRId64 " %7s  total (%" PRId64 " %s)\n", unpacked,
                     stored, ratio(stored, unpacked).c_str(), count,
                     count == 1 ? "entry" : "entries");
        const std::vector<std::string> damage = survey.damageLines(printable);
        if (!damage.empty()) std::fflush(out);
        for (const std::string& line : damage)
            Complain(err, line);
        return damage.empty() ? kExitOk : kExitFailure;
    } catch (const StreamError& e) {
        std::fflush(out);
        Complain(err, e.what());
        return kExitFailure;
    }
}

int RunExtract(std::span<const std::string> args, std::FILE* /*out*/, std::FILE* err) {
    static constexpr OptionSpec specs[] = {{"-C", "--directory", true}, {"-f", "--force", false}};
    ParsedArgs parsed = ParseArgs(args, specs);
    const std::string path = onePositional(parsed, "archive");
    const fs::path folder = parsed.value("--directory").value_or(".");
    if (folder.empty()) throw UsageError("--directory needs a folder");
    const bool force = parsed.has("--force");

    // NAMEs are typed as list shows them; entries hold Shift-JIS.
    std::set<std::string> wanted;
    std::set<std::string> missing;  // typed form, for the message
    std::vector<std::pair<std::string, std::optional<std::string>>> typed;
    for (auto it = parsed.positional.begin() + 1; it != parsed.positional.end(); ++it) {
        // A name Shift-JIS cannot hold matches no entry and is reported missing.
        std::optional<std::string> sjisName = sjis::fromUtf8Strict(*it);
        typed.emplace_back(*it, sjisName);
        if (sjisName) wanted.insert(*sjisName);
    }
    const bool selective = !typed.empty();

    bool failed = false;
    try {
        FileStream archive(path, FileStream::Mode::read);
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (!fs::is_directory(folder)) {
            Complain(err, "cannot make folder '" + folder.string() + "'" +
                              (ec ? ": " + ec.message() : std::string()));
            return kExitFailure;
        }
        std::set<std::string> found;
        std::set<std::string> written;
        MemoryStream data;
        // A signal ends the walk between files: those written are whole, no other begun.
        stop::installHandlers({.restartCalls = true, .secondSignalEnds = false});
        bool isArchive = WalkArchive(archive, [&](const ArchiveEntryInfo& e) {
            if (stop::requested()) return false;
            if (selective && !wanted.contains(e.name)) return true;
            found.insert(e.name);
            std::optional<std::string> name = outputName(e);
            if (!name) {
                Complain(err, "entry " + std::to_string(e.index) + " '" + printable(e.name) +
                                  "' not extracted: its name would leave '" + folder.string() +
                                  "'");
                failed = true;
                return true;
            }
            if (!written.insert(*name).second) {
                // Lookups take the first entry of a name; the later one is never read.
                Complain(err, "entry " + std::to_string(e.index) + " '" + printable(e.name) +
                                  "' skipped: an earlier entry has the same name");
                return true;
            }
            const fs::path target = folder / *name;
            std::error_code ignored;
            if (fs::exists(fs::symlink_status(target, ignored)) && !force) {
                Complain(err, "'" + target.string() + "' exists; add --force to replace it");
                failed = true;
                return true;
            }
            ReadArchiveData(e, archive, data);
            PendingFile file(target);
            file.stream().write(data.bytes());
            file.commit();
            return true;
        });
        if (!isArchive) {
            Complain(err, "'" + path + "' is not a scenario archive");
            return kExitFailure;
        }
        if (stop::requested()) {
            Complain(err, "stopped; the files written so far are complete");
            return stop::exitCode();
        }
        for (const auto& [shown, sjisName] : typed) {
            if ((!sjisName || !found.contains(*sjisName)) && missing.insert(shown).second) {
                Complain(err, "no entry '" + shown + "' in '" + path + "'");
                failed = true;
            }
        }
    } catch (const StreamError& e) {
        Complain(err, e.what());
        return kExitFailure;
    }
    return failed ? kExitFailure : kExitOk;
}

}  // namespace vornal::pack
