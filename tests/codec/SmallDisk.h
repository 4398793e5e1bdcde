// A small file system of its own (tmpfs), to run full for real. Mounting needs root (the
// tests run as root in CI); the mount lives in a mount namespace of this process's
// thread, so it vanishes with the test program whatever happens to it.
#pragma once

#ifndef __EMSCRIPTEN__
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

namespace vornal::testing {

#ifdef __EMSCRIPTEN__
// The WebAssembly build, on node's file system, mounts nothing: the tests that need a full
// disk are skipped there.
class SmallDisk {
public:
    SmallDisk(const std::filesystem::path& where, std::size_t) : where_(where) {}
    bool mounted() const { return false; }
    const std::string& whyNot() const { return whyNot_; }
    std::filesystem::path operator/(const std::string& name) const { return where_ / name; }

private:
    std::filesystem::path where_;
    std::string whyNot_ = "the WebAssembly build cannot mount a file system";
};
#else
class SmallDisk {
public:
    SmallDisk(const std::filesystem::path& where, std::size_t bytes) : where_(where) {
        if (::geteuid() != 0) {
            whyNot_ = "a small tmpfs needs root to mount; run the tests as root to fill one";
            return;
        }
        std::filesystem::create_directories(where);
        if (!privateNamespace()) return;
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
        if (::mount("vornal-small-disk", where.c_str(), "tmpfs", 0, options.c_str()) != 0) {
            whyNot_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
            return;
        }
        mounted_ = true;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    // Why it is not mounted: the message of the skipped test.
    const std::string& whyNot() const { return whyNot_; }
    std::filesystem::path operator/(const std::string& name) const { return where_ / name; }

private:
    bool privateNamespace() {
        static int error = [] {
            if (::unshare(CLONE_NEWNS) != 0) return errno;
            // Nothing mounted from here on reaches the rest of the machine.
            if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return errno;
            return 0;
        }();
        if (error != 0) whyNot_ = std::string("no mount namespace: ") + std::strerror(error);
        return error == 0;
    }

    std::filesystem::path where_;
    bool mounted_ = false;
    std::string whyNot_;
};

#endif

}  // namespace vornal::testing
