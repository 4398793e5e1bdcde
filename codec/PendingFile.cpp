#include "codec/PendingFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace vornal {

namespace {

std::string systemMessage(int error) {
    return std::strerror(error);
}

// Creates a new file "<folder>/.<name>.XXXXXX" and returns its path. O_EXCL guards against
// taking an existing name; mode 0666 lets the umask decide the rights, as for any file.
std::filesystem::path createTemporary(const std::filesystem::path& target) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix(6, 'x');
        for (char& c : suffix)
            c = kLetters[random() % (sizeof kLetters - 1)];
        std::filesystem::path path = folder / ("." + target.filename().string() + "." + suffix);
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST) break;
    }
    throw StreamError("cannot create '" + target.string() + "': " + systemMessage(errno));
}

}  // namespace

PendingFile::PendingFile(std::filesystem::path target)
    : target_(std::move(target)), temporary_(createTemporary(target_)) {
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
