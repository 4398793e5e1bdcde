#include "codec/PendingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

namespace vornal {

namespace {

std::string systemMessage(int error) {
    return std::strerror(error);
}

// mkstemp makes the file 0600; an archive or save file should get the usual 0666 & ~umask.
mode_t defaultFileMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

PendingFile::PendingFile(std::filesystem::path target) : target_(std::move(target)) {
    std::filesystem::path folder = target_.parent_path();
    if (folder.empty()) folder = ".";
    std::string pattern = (folder / ("." + target_.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) {
        throw StreamError("cannot create '" + target_.string() + "': " + systemMessage(errno));
    }
    ::fchmod(fd, defaultFileMode());
    ::close(fd);
    temporary_ = name.data();
    try {
        file_ = std::make_unique<FileStream>(temporary_, FileStream::Mode::create);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        throw;
    }
}

PendingFile::~PendingFile() {
    if (committed_) return;
    file_.reset();
    std::error_code ignored;
    std::filesystem::remove(temporary_, ignored);
}

void PendingFile::commit() {
    try {
        file_->flush();
    } catch (const StreamError& e) {
        throw StreamError("cannot write '" + target_.string() + "' (" + e.what() + ")");
    }
    file_.reset();
    // The data must be on disk before the rename makes it the target, or a crash could
    // leave an empty file in the target's place.
    int fd = ::open(temporary_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        int error = errno;
        if (fd >= 0) ::close(fd);
        throw StreamError("cannot write '" + target_.string() + "': " + systemMessage(error));
    }
    ::close(fd);
    std::error_code error;
    std::filesystem::rename(temporary_, target_, error);
    if (error) {
        throw StreamError("cannot replace '" + target_.string() + "': " + error.message());
    }
    committed_ = true;
}

}  // namespace vornal
