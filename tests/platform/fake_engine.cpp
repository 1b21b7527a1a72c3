// A stand-in for the engine daemon, for the service-control tests.  It keeps the daemon's
// side of the pid-file contract and nothing else:
//   sentrelle-engine --root ROOT
//   - takes an exclusive fcntl lock on ROOT/Sys/Run/QvsSnSvc.pid (another holder: exit 3),
//   - writes its pid and a line break once "ready",
//   - on SIGTERM removes the pid file and exits 0.
// The tests steer it through the environment, which the controller passes on:
//   SENTRELLE_FAKE_LOCK_MS   wait before taking the lock (default 0)
//   SENTRELLE_FAKE_READY_MS  wait before writing the pid (default 0)
//   SENTRELLE_FAKE_TERM_MS   wait between SIGTERM and leaving (default 0)
//   SENTRELLE_FAKE_CRASH     "1": exit 1 right after taking the lock, leaving the file
//   SENTRELLE_FAKE_LOG       a file to which one line about the start is appended (pid,
//                            session, parent, directory, standard streams, inherited
//                            descriptors, arguments)
// It never lives longer than SENTRELLE_FAKE_LIFETIME_MS (default 120000), so a test that
// dies cannot leave it behind for long.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

long EnvMs(const char* name, long def) {
    const char* value = std::getenv(name);
    return value == nullptr || *value == '\0' ? def : std::strtol(value, nullptr, 10);
}

std::string Link(const char* path) {
    std::error_code ec;
    const std::string target = std::filesystem::read_symlink(path, ec).string();
    return ec ? "?" : target;
}

// The descriptors above 2 that came with the process, joined by ",".
std::string InheritedDescriptors() {
    std::string out;
    DIR* dir = ::opendir("/proc/self/fd");
    if (dir == nullptr)
        return "?";
    while (const dirent* entry = ::readdir(dir)) {
        const int fd = std::atoi(entry->d_name);
        if (entry->d_name[0] != '.' && fd > 2 && fd != ::dirfd(dir))
            out += (out.empty() ? "" : ",") + std::to_string(fd);
    }
    ::closedir(dir);
    return out.empty() ? "none" : out;
}

void Log(int argc, char** argv) {
    const char* path = std::getenv("SENTRELLE_FAKE_LOG");
    if (path == nullptr || *path == '\0')
        return;
    std::string line = "pid=" + std::to_string(::getpid()) + " sid=" + std::to_string(::getsid(0)) +
                       " ppid=" + std::to_string(::getppid()) + " cwd=" + Link("/proc/self/cwd") +
                       " stdin=" + Link("/proc/self/fd/0") + " stdout=" + Link("/proc/self/fd/1") +
                       " stderr=" + Link("/proc/self/fd/2") + " fds=" + InheritedDescriptors() + " args=";
    for (int i = 1; i < argc; ++i)
        line += std::string(i > 1 ? "|" : "") + argv[i];
    std::ofstream(path, std::ios::app) << line << "\n";
}

} // namespace

int main(int argc, char** argv) {
    std::string root;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--root") == 0)
            root = argv[i + 1];
    Log(argc, argv);
    if (root.empty())
        return 2;

    // SIGTERM stays blocked and pending until it is waited for.
    sigset_t term;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    ::sigprocmask(SIG_BLOCK, &term, nullptr);
    const auto waitForTerm = [&](long ms) {
        timespec ts{static_cast<time_t>(ms / 1000), (ms % 1000) * 1000000};
        return ::sigtimedwait(&term, nullptr, &ts) == SIGTERM;
    };
    const auto sleep = [](long ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };

    sleep(EnvMs("SENTRELLE_FAKE_LOCK_MS", 0));
    const std::string run = root + "/Sys/Run";
    ::mkdir((root + "/Sys").c_str(), 0755);
    ::mkdir(run.c_str(), 0755);
    const std::string pidFile = run + "/QvsSnSvc.pid";
    const int fd = ::open(pidFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return 4;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd, F_SETLK, &lock) != 0)
        return 3;
    if (::ftruncate(fd, 0) != 0)
        return 4;
    if (const char* crash = std::getenv("SENTRELLE_FAKE_CRASH"); crash != nullptr && std::strcmp(crash, "1") == 0)
        ::_exit(1);

    bool stopping = waitForTerm(EnvMs("SENTRELLE_FAKE_READY_MS", 0));
    if (!stopping) {
        const std::string text = std::to_string(::getpid()) + "\n";
        if (::pwrite(fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size()))
            return 4;
        stopping = waitForTerm(EnvMs("SENTRELLE_FAKE_LIFETIME_MS", 120000));
    }
    if (stopping)
        sleep(EnvMs("SENTRELLE_FAKE_TERM_MS", 0));
    ::unlink(pidFile.c_str());
    ::close(fd);
    return 0;
}
