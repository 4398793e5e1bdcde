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
// written); what() names the file. The target archive is left as it was.
class PackError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

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
// replaces job.archive only when complete. Throws PackError.
void WriteArchiveFile(const PackJob& job, const ProgressCallback& progress = {});

}  // namespace vornal::pack
