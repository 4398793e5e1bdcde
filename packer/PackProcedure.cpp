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

// The source as the codec reads it, block by block, asking before each block whether
// to stop.
class StoppableSource final : public Stream {
public:
    StoppableSource(Stream& source, const StopRequested& stop) : source_(source), stop_(stop) {}

    std::size_t read(std::span<Byte> buffer) override {
        if (stop_ && stop_()) throw PackStopped();
        return source_.read(buffer);
    }
    void write(std::span<const Byte>) override {
        throw StreamError("'" + name() + "' is read here, not written");
    }
    std::int64_t position() const override { return source_.position(); }
    void setPosition(std::int64_t position) override { source_.setPosition(position); }
    std::int64_t size() const override { return source_.size(); }
    std::string name() const override { return source_.name(); }

private:
    Stream& source_;
    const StopRequested& stop_;
};

// One data file (or the script) compressed straight from the file into the archive: only
// the entry being built is in memory.
void addFile(ArchiveWriter& writer, const std::string& name, const fs::path& file,
             const StopRequested& stop) {
    FileStream source(file, FileStream::Mode::read);
    const std::int64_t size = source.size();
    if (size < 0 || static_cast<std::uintmax_t>(size) > kLargestFile) {
        throw PackError("'" + file.string() + "' is too large for an archive entry",
                        "「" + file.string() + "」はアーカイブに入れるには大きすぎます");
    }
    StoppableSource checked(source, stop);
    try {
        writer.addEntry(name, checked, static_cast<std::int32_t>(size));
    } catch (const StreamError& e) {
        // The system's refusals name their file; anything else here is a source that
        // did not hold the bytes it announced.
        if (e.failure()) throw;
        throw PackError(e.what(), "「" + file.string() + "」は圧縮している間に変更されました");
    }
}

}  // namespace

PackError PackError::from(const StreamError& error) {
    if (const FileFailure* failure = error.failure())
        return PackError(EnglishText(*failure), JapaneseText(*failure));
    return PackError(error.what());
}

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

void WriteArchiveFile(const PackJob& job, const ProgressCallback& progress,
                      const StopRequested& stop) {
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
            addFile(writer, names[i], file, stop);
        }
        writer.finish();
        if (stop && stop()) throw PackStopped();
        // The last report comes before the archive replaces the old one: whatever it
        // throws (a cancel) still leaves the target as it was, and nothing can be called
        // once the archive is committed.
        if (progress) progress(PackProgress{entryCount, entryCount, nullptr});
        out.commit();
    } catch (const StreamError& e) {
        const FileFailure* failure = e.failure();
        if (failure && failure->file == job.archive) throw PackError::from(e);
        throw PackError(
            "cannot write '" + job.archive.string() + "': " + e.what(),
            failure ? JapaneseText(*failure)
                    : "「" + job.archive.string() + "」を書き込めません（" + e.what() + "）");
    } catch (const PackError& e) {
        // About a file the archive is made from; the window's message names the archive.
        throw PackError("cannot write '" + job.archive.string() + "': " + e.what(), e.japanese());
    }
}

}  // namespace vornal::pack
