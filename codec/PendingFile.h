// A file written beside its target and renamed over it only once complete, so a failure
// never leaves a half-written file nor destroys the previous one, and a commit that was
// reported is on the disk.
#pragma once

#include <filesystem>
#include <memory>

#include "codec/Stream.h"

namespace vornal {

class PendingFile {
public:
    // Creates a hidden temporary file in the target's folder, with a name that fits
    // wherever the target's fits; throws StreamError naming the target when that folder
    // cannot take it.
    explicit PendingFile(std::filesystem::path target);
    // Without commit(), removes the temporary file; the target stays as it was.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Writes to the temporary file; its errors name the target.
    Stream& stream() { return *file_; }
    const std::filesystem::path& temporaryPath() const { return temporary_; }
    const std::filesystem::path& target() const { return target_; }

    // Puts the data on the disk, renames the file over the target (which keeps the
    // permission bits of the file it replaces, or the umask's for a new one), then puts
    // the folder's new entry on the disk too. Throws StreamError naming the target on
    // failure; the temporary file is removed then as well.
    void commit();

private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::unique_ptr<FileStream> file_;
    bool committed_ = false;
};

// "." + name + "." + suffix, the name shortened (at a character boundary of UTF-8) so the
// whole stays within `nameMax` bytes.
std::string TemporaryName(const std::string& name, const std::string& suffix, std::size_t nameMax);

}  // namespace vornal
