#include "codec/PendingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <random>
#include <string>
#include <system_error>

namespace vornal {

namespace {

using Action = FileFailure::Action;

std::filesystem::path folderOf(const std::filesystem::path& target) {
    std::filesystem::path folder = target.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

std::size_t nameMaxOf(const std::filesystem::path& folder) {
    const long max = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return max > 0 ? static_cast<std::size_t>(max) : NAME_MAX;
}

struct Created {
    std::filesystem::path path;
    int descriptor;
};

// O_EXCL guards against taking an existing name, and the descriptor it gives is the one
// written through: nothing can put another file under the name in between. Mode 0666
// lets the umask decide the rights, as for any new file.
Created createTemporary(const std::filesystem::path& target) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const std::filesystem::path folder = folderOf(target);
    const std::size_t nameMax = nameMaxOf(folder);
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix(6, 'x');
        for (char& c : suffix)
            c = kLetters[random() % (sizeof kLetters - 1)];
        std::filesystem::path path =
            folder / TemporaryName(target.filename().string(), suffix, nameMax);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return {std::move(path), fd};
        if (errno != EEXIST) break;
    }
    throw StreamError(FileFailure{Action::create, target, errno});
}

// The rights of the file being replaced carry over; set-id bits do not.
void keepRights(int fd, const std::filesystem::path& target) {
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd, old.st_mode & 0777);
    }
}

// The rename is only durable once the folder's new entry is on the disk. Some file
// systems cannot sync a folder (EINVAL); the rename is all they offer.
void syncFolder(const std::filesystem::path& target) {
    const int fd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw StreamError(FileFailure{Action::write, target, errno});
    const int result = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (result != 0 && error != EINVAL)
        throw StreamError(FileFailure{Action::write, target, error});
}

}  // namespace

std::string TemporaryName(const std::string& name, const std::string& suffix, std::size_t nameMax) {
    const std::size_t extra = suffix.size() + 2;
    std::size_t keep = name.size();
    if (nameMax > extra && keep > nameMax - extra) {
        keep = nameMax - extra;
        // Not inside a character: continuation bytes of UTF-8 are 10xxxxxx.
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
            --keep;
    }
    return "." + name.substr(0, keep) + "." + suffix;
}

PendingFile::PendingFile(std::filesystem::path target) : target_(std::move(target)) {
    Created created = createTemporary(target_);
    temporary_ = std::move(created.path);
    keepRights(created.descriptor, target_);
    try {
        file_ = std::make_unique<FileStream>(created.descriptor, target_);
    } catch (...) {
        ::unlink(temporary_.c_str());
        throw;
    }
}

PendingFile::~PendingFile() {
    if (committed_) return;
    file_.reset();
    ::unlink(temporary_.c_str());
}

void PendingFile::commit() {
    // The data must be on the disk before the rename makes it the target, or a crash
    // could leave an empty file in the target's place.
    file_->sync();
    file_->close();
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        throw StreamError(FileFailure{Action::replace, target_, errno});
    }
    committed_ = true;
    syncFolder(target_);
}

}  // namespace vornal
