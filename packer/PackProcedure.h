// The pack procedure, free of any window: the checks that come before anything is
// written, and the writing of the archive. The command line and the pack tool's window
// both call it; it reports through return values, exceptions and a progress callback and
// never prints. Messages are UTF-8, ready for the screen.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "codec/Stream.h"

namespace vornal::pack {

struct PackJob {
    std::filesystem::path script;
    std::vector<std::filesystem::path> dataFiles;  // in archive order
    std::filesystem::path archive;
};

// Where the procedure stands: called before entry `entry` (0 = the script) of
// `entryCount` is compressed, and once more with entry == entryCount when all are written,
// just before the archive replaces its target. A callback that throws stops the procedure
// with the target untouched; none is called after the archive is committed.
struct PackProgress {
    std::size_t entry;
    std::size_t entryCount;
    const std::filesystem::path* file;  // nullptr in the final call
};
using ProgressCallback = std::function<void(const PackProgress&)>;

// A failure after the checks (a file that cannot be read, an archive that cannot be
// written); what() names the file in English, japanese() in the window's language. The
// target archive is left as it was.
class PackError : public std::runtime_error {
public:
    explicit PackError(const std::string& message) : PackError(message, message) {}
    PackError(const std::string& english, std::string japanese)
        : std::runtime_error(english), japanese_(std::move(japanese)) {}
    // The system's refusal named in both languages; other stream errors as they are.
    static PackError from(const StreamError& error);

    const std::string& japanese() const { return japanese_; }

private:
    std::string japanese_;
};

// Thrown when the stop predicate given to WriteArchiveFile asks for it; the temporary
// file is gone and the target archive is as it was.
class PackStopped : public std::exception {
public:
    const char* what() const noexcept override { return "packing stopped"; }
};

// Asked between the blocks the procedure reads, so a stop is seen within a large file.
using StopRequested = std::function<bool()>;

// The script is given, exists and fits an entry. Returns the message to show, or nullopt.
std::optional<std::string> CheckScript(const std::filesystem::path& script);

// Every data file exists, fits an entry and has a name Shift-JIS can hold. Returns the
// message about the first that fails, or nullopt.
std::optional<std::string> CheckDataFiles(std::span<const std::filesystem::path> files);

// The archive is not the script nor one of the data files: writing it would replace a file
// the archive is made from. Returns the message to show, or nullopt.
std::optional<std::string> CheckArchivePath(const PackJob& job);

// The archive name to propose for a script: its extension replaced by (or given) ".vnp".
std::filesystem::path ProposedArchivePath(const std::filesystem::path& script);

// A data file's entry name: its name without folder, in Shift-JIS, ASCII letters
// upper-cased. nullopt when Shift-JIS cannot hold the name.
std::optional<std::string> EntryNameFor(const std::filesystem::path& file);

// Writes the archive of `job` (whose checks have passed) through a temporary file that
// replaces job.archive only when complete. Throws PackError, or PackStopped once `stop`
// returns true.
void WriteArchiveFile(const PackJob& job, const ProgressCallback& progress = {},
                      const StopRequested& stop = {});

}  // namespace vornal::pack
