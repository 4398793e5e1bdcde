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
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// stderr goes to a pseudo-terminal when `errOnTerminal`, so the program sees a terminal.
inline RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::filesystem::path& workDir, bool errOnTerminal = false) {
    // Kept outside workDir, whose contents the tests inspect.
    const auto base =
        std::filesystem::temp_directory_path() / ("vornal_run_" + std::to_string(::getpid()));
    const auto outFile = base.string() + ".out";
    const auto errFile = base.string() + ".err";
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int master = -1, slave = -1;
    if (errOnTerminal && openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (errOnTerminal) {
        posix_spawn_file_actions_adddup2(&actions, slave, 2);
        posix_spawn_file_actions_addclose(&actions, master);
    } else {
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
    }
    pid_t pid = -1;
    int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + program);

    RunResult result;
    if (errOnTerminal) {
        ::close(slave);
        char buffer[4096];
        ssize_t n;
        // Read until the child closes its end (EIO on Linux once it has exited).
        while ((n = ::read(master, buffer, sizeof buffer)) > 0)
            result.err.append(buffer, static_cast<std::size_t>(n));
        ::close(master);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = slurp(outFile);
    if (!errOnTerminal) result.err = slurp(errFile);
    std::filesystem::remove(outFile);
    std::filesystem::remove(errFile);
    return result;
}

}  // namespace vornal::testing
