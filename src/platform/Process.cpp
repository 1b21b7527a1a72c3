#include "platform/Process.h"

#include "platform/SpawnSetup.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

class SystemLauncher final : public IProcessLauncher {
public:
    LaunchResult Launch(const std::vector<std::string>& argv, unsigned waitMs) override {
        LaunchResult result;
        if (argv.empty() || argv[0].empty())
            return result;
        SpawnSetup setup;
        if (!setup.Ok())
            return result;
        std::vector<char*> args;
        args.reserve(argv.size() + 1);
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        pid_t pid = 0;
        if (::posix_spawnp(&pid, argv[0].c_str(), setup.Actions(), setup.Attr(), args.data(), environ) != 0)
            return result;
        result.started = true;
        result.pid = pid;

        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        for (;;) {
            int status = 0;
            const pid_t done = ::waitpid(pid, &status, WNOHANG);
            if (done == pid) {
                result.exited = true;
                result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                return result;
            }
            if (done < 0 && errno != EINTR)
                return result; // someone else reaped it; nothing more to learn
            if (std::chrono::steady_clock::now() >= deadline)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        // Still running: a reaper waits for it so that it leaves no zombie behind.
        std::thread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
        return result;
    }
};

} // namespace

std::string FindExecutable(const std::string& name) {
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return IsExecutableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    if (path == nullptr)
        return {};
    const std::string dirs(path);
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = dirs.find(':', start);
        std::string candidate = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (candidate.empty())
            candidate.push_back('.'); // an empty entry of $PATH is the current directory
        candidate += '/';
        candidate += name;
        if (IsExecutableFile(candidate))
            return candidate;
        if (end == std::string::npos)
            return {};
        start = end + 1;
    }
}

IProcessLauncher& SystemProcessLauncher() {
    static SystemLauncher launcher;
    return launcher;
}

} // namespace platform
