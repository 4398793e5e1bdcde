// A file written beside its target and renamed over it only once complete, so a failure
// never leaves a half-written file nor destroys the previous one.
#pragma once

#include <filesystem>
#include <memory>

#include "codec/Stream.h"

namespace vornal {

class PendingFile {
public:
    // Creates a hidden temporary file in the target's folder; throws StreamError naming
    // the target when that folder cannot take it.
    explicit PendingFile(std::filesystem::path target);
    // Without commit(), removes the temporary file; the target stays as it was.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    Stream& stream() { return *file_; }
    const std::filesystem::path& temporaryPath() const { return temporary_; }
    const std::filesystem::path& target() const { return target_; }

    // Flushes the file to disk and renames it over the target. Throws StreamError naming
    // the target on failure, and the temporary file is removed then as well.
    void commit();

private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::unique_ptr<FileStream> file_;
    bool committed_ = false;
};

}  // namespace vornal
