// Runs a program as a user would, capturing its exit code and both output streams.
#pragma once

#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace vornal::testing {

struct RunResult {
    int exitCode = -1;  // 128 + N when killed by signal N, as a shell says
    int signal = 0;     // the signal that killed it, 0 when it exited
    std::string out;
    std::string err;
};

inline std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A program started as a user would start it; wait() collects what it did. stderr goes
// to a pseudo-terminal when `errOnTerminal`, so the program sees a terminal.
class StartedProgram {
public:
    StartedProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::filesystem::path& workDir, bool errOnTerminal = false)
        : errOnTerminal_(errOnTerminal) {
        // Kept outside workDir, whose contents the tests inspect.
        const auto base =
            std::filesystem::temp_directory_path() / ("vornal_run_" + std::to_string(::getpid()));
        outFile_ = base.string() + ".out";
        errFile_ = base.string() + ".err";
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        int slave = -1;
        if (errOnTerminal && openpty(&master_, &slave, nullptr, nullptr, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outFile_.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (errOnTerminal) {
            posix_spawn_file_actions_adddup2(&actions, slave, 2);
            posix_spawn_file_actions_addclose(&actions, master_);
        } else {
            posix_spawn_file_actions_addopen(&actions, 2, errFile_.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (slave >= 0) ::close(slave);
        if (rc != 0) throw std::runtime_error("cannot start " + program);
    }
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    pid_t pid() const { return pid_; }
    // Whether it has ended, without waiting (its status is kept for wait()).
    bool ended() {
        if (!waited_ && waitpid(pid_, &status_, WNOHANG) == pid_) waited_ = true;
        return waited_;
    }

    RunResult wait() {
        RunResult result;
        if (errOnTerminal_) {
            char buffer[4096];
            ssize_t n;
            // Read until the child closes its end (EIO on Linux once it has exited).
            while ((n = ::read(master_, buffer, sizeof buffer)) > 0)
                result.err.append(buffer, static_cast<std::size_t>(n));
            ::close(master_);
        }
        if (!waited_) waitpid(pid_, &status_, 0);
        waited_ = true;
        result.signal = WIFSIGNALED(status_) ? WTERMSIG(status_) : 0;
        result.exitCode = WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
        result.out = slurp(outFile_);
        if (!errOnTerminal_) result.err = slurp(errFile_);
        std::filesystem::remove(outFile_);
        std::filesystem::remove(errFile_);
        return result;
    }

private:
    bool errOnTerminal_;
    int master_ = -1;
    pid_t pid_ = -1;
    int status_ = 0;
    bool waited_ = false;
    std::string outFile_;
    std::string errFile_;
};

inline RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::filesystem::path& workDir, bool errOnTerminal = false) {
    return StartedProgram(program, args, workDir, errOnTerminal).wait();
}

}  // namespace vornal::testing
