// A PulseAudio server of our own for tests and benchmarks: a null sink stands in for the
// sound card, the native protocol listens on a socket in a private runtime folder, and the
// clients of this process and its children are pointed at it. It takes the real-time
// priority a desktop gives its server, where the user may. The server and any program
// started here end with the process that started them, even when it is killed.
#pragma once

#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vornal::test {

// Starts a program with its output in `log` and the given variables added to its
// environment.
inline pid_t SpawnChild(const std::vector<std::string>& argv, const std::filesystem::path& log,
                        const std::vector<std::pair<std::string, std::string>>& env = {}) {
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(127);
        if (std::FILE* out = std::fopen(log.c_str(), "w")) {
            ::dup2(::fileno(out), STDOUT_FILENO);
            ::dup2(::fileno(out), STDERR_FILENO);
        }
        for (const auto& [name, value] : env)
            ::setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    return pid;
}

inline bool ChildRunning(pid_t pid) {
    return ::waitpid(pid, nullptr, WNOHANG) == 0;
}

inline void StopChild(pid_t pid) {
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

inline bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        if (::access((std::filesystem::path(dir) / program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

class PulseServer {
public:
    // Throws std::runtime_error with the server's own words when it does not start.
    PulseServer() {
        namespace fs = std::filesystem;
        std::string dir = (fs::temp_directory_path() / "vornal-pulse-XXXXXX").string();
        if (!::mkdtemp(dir.data())) throw std::runtime_error("cannot make a runtime folder");
        dir_ = dir;
        const fs::path socket = dir_ / "native";
        pid_ = SpawnChild(
            {"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "--load=module-null-sink sink_name=vornal_null",
             "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket.string()},
            dir_ / "server.log", {{"HOME", dir}, {"XDG_RUNTIME_DIR", dir}});
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!fs::exists(socket)) {
            if (!ChildRunning(pid_) || std::chrono::steady_clock::now() > deadline) {
                std::ifstream log(dir_ / "server.log");
                std::stringstream text;
                text << log.rdbuf();
                StopChild(pid_);
                fs::remove_all(dir_);
                throw std::runtime_error("pulseaudio did not start: " + text.str());
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::setenv("PULSE_SERVER", ("unix:" + socket.string()).c_str(), 1);
    }
    ~PulseServer() {
        StopChild(pid_);
        ::unsetenv("PULSE_SERVER");
        std::error_code error;
        std::filesystem::remove_all(dir_, error);
    }
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    // The private folder, removed with the server.
    const std::filesystem::path& dir() const { return dir_; }

private:
    std::filesystem::path dir_;
    pid_t pid_ = -1;
};

}  // namespace vornal::test
