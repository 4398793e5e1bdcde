#include "packer/PackProcedure.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <system_error>

#include "codec/Archive.h"
#include "codec/ArchiveWriter.h"
#include "codec/PendingFile.h"
#include "codec/Stream.h"
#include "common/SjisText.h"

namespace vornal::pack {

namespace fs = std::filesystem;

namespace {

// UnpackedSize is a signed 32-bit field.
constexpr std::uintmax_t kLargestFile = std::numeric_limits<std::int32_t>::max();

// A folder, a device or a dangling link is not a file the tool can pack.
bool isFile(const fs::path& path) {
    std::error_code ignored;
    return fs::is_regular_file(path, ignored);
}

bool tooLarge(const fs::path& path) {
    std::error_code ignored;
    std::uintmax_t size = fs::file_size(path, ignored);
    return size != static_cast<std::uintmax_t>(-1) && size > kLargestFile;
}

}  // namespace

std::optional<std::string> CheckScript(const fs::path& script) {
    if (script.empty()) return "スクリプトファイルを選択してください。";
    if (!isFile(script)) return "スクリプトファイル" + script.string() + "が存在しません。";
    if (tooLarge(script)) return "スクリプトファイル" + script.string() + "は大きすぎます。";
    return std::nullopt;
}

std::optional<std::string> CheckDataFiles(std::span<const fs::path> files) {
    for (const fs::path& file : files) {
        if (!isFile(file)) return "データファイル" + file.string() + "が存在しません。";
        if (tooLarge(file)) return "データファイル" + file.string() + "は大きすぎます。";
        if (!EntryNameFor(file)) {
            return "データファイル" + file.string() + "の名前はShift-JISで表せません。";
        }
    }
    return std::nullopt;
}

std::optional<std::string> CheckArchivePath(const PackJob& job) {
    auto same = [&](const fs::path& file) {
        std::error_code ignored;
        return fs::equivalent(job.archive, file, ignored);
    };
    if (same(job.script) || std::any_of(job.dataFiles.begin(), job.dataFiles.end(), same)) {
        return "アーカイブ" + job.archive.string() + "はスクリプトファイルかデータファイルです。";
    }
    return std::nullopt;
}

fs::path ProposedArchivePath(const fs::path& script) {
    fs::path archive = script;
    archive.replace_extension(".vnp");
    return archive;
}

std::optional<std::string> EntryNameFor(const fs::path& file) {
    std::optional<std::string> name = sjis::fromUtf8Strict(file.filename().string());
    if (!name) return std::nullopt;
    // Converted first, then upper-cased: the trail byte of a double-byte character may
    // look like a lower-case ASCII letter and must stay as it is.
    return sjis::upperAscii(*name);
}

void WriteArchiveFile(const PackJob& job, const ProgressCallback& progress) {
    const std::size_t entryCount = job.dataFiles.size() + 1;
    if (entryCount > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw PackError("too many data files for one archive");
    }
    std::vector<std::string> names;
    names.reserve(entryCount);
    names.emplace_back(kScriptEntryName);
    for (const fs::path& file : job.dataFiles) {
        std::optional<std::string> name = EntryNameFor(file);
        if (!name)
            throw PackError("データファイル" + file.string() + "の名前はShift-JISで表せません。");
        names.push_back(std::move(*name));
    }

    try {
        PendingFile out(job.archive);
        ArchiveWriter writer(out.stream(), static_cast<std::int32_t>(entryCount));
        for (std::size_t i = 0; i < entryCount; ++i) {
            const fs::path& file = i == 0 ? job.script : job.dataFiles[i - 1];
            if (progress) progress(PackProgress{i, entryCount, &file});
            // Compressed straight from the file: only the entry being built is in memory.
            FileStream source(file, FileStream::Mode::read);
            const std::int64_t size = source.size();
            if (size < 0 || static_cast<std::uintmax_t>(size) > kLargestFile) {
                throw StreamError("'" + file.string() + "' is too large for an archive entry");
            }
            writer.addEntry(names[i], source, static_cast<std::int32_t>(size));
        }
        writer.finish();
        // The last report comes before the archive replaces the old one: whatever it
        // throws (a cancel) still leaves the target as it was, and nothing can be called
        // once the archive is committed.
        if (progress) progress(PackProgress{entryCount, entryCount, nullptr});
        out.commit();
    } catch (const StreamError& e) {
        throw PackError("cannot write '" + job.archive.string() + "': " + e.what());
    }
}

}  // namespace vornal::pack
