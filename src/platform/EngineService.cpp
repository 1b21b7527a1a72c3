#include "platform/EngineService.h"

#include "platform/Module.h"
#include "platform/SafeFile.h"
#include "platform/System.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform {

namespace {

constexpr const char* kPidFileName = "QvsSnSvc.pid";
constexpr const char* kStartingSuffix = ".starting";
constexpr const char* kStoppingSuffix = ".stopping";
// Held (fcntl, whole file) by a Start from its first look at the state until the starting
// marker is written, so that of several starts at once exactly one launches a daemon.
constexpr const char* kStartLockSuffix = ".startlock";
// Pid files and markers are a line of a few digits; anything longer is not ours.
constexpr std::size_t kSmallFile = 256;

std::string Join(const std::string& base, const std::string& name) {
    if (base.empty() || base.back() == kPathSeparator)
        return base + name;
    return base + kPathSeparator + name;
}

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// A decimal pid followed by a line break, as the daemon writes it; 0 for anything else
// (an empty file, or a pid still being written).
int ParsePidText(const std::string& text) {
    if (text.size() < 2 || text.back() != '\n')
        return 0;
    long long pid = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return 0;
        pid = pid * 10 + (c - '0');
        if (pid > INT_MAX)
            return 0;
    }
    return static_cast<int>(pid);
}

// What /proc tells about a process.
struct ProcStat {
    bool Found = false;
    bool Zombie = false;
    unsigned long long StartTime = 0;
};

// Reads /proc/<pid>/stat: the state (third field) and the start time (22nd field).  The
// command name (second field) is in parentheses and may hold spaces and parentheses
// itself, so the fields are counted from its last closing parenthesis.
ProcStat ReadProcStat(int pid) {
    ProcStat out;
    std::string text;
    if (ReadFileContent("/proc/" + std::to_string(pid) + "/stat", text, 4096) != FileRead::Ok)
        return out;
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
        return out;
    std::vector<std::string> fields;
    std::string field;
    for (std::size_t i = close + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\n') {
            if (!field.empty())
                fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    if (!field.empty())
        fields.push_back(field);
    if (fields.size() < 20)
        return out;
    out.Found = true;
    out.Zombie = fields[0] == "Z" || fields[0] == "X" || fields[0] == "x";
    out.StartTime = std::strtoull(fields[19].c_str(), nullptr, 10);
    return out;
}

bool ProcAvailable() {
    static const bool available = ReadProcStat(::getpid()).Found;
    return available;
}

// A process that runs (not a zombie: a daemon whose parent never reaps it still answers
// kill(pid, 0), but it does nothing any more).  A start time of 0 matches any.
bool Runs(int pid, unsigned long long startTime) {
    if (pid <= 0)
        return false;
    if (!ProcAvailable())
        return ProcessAlive(pid);
    const ProcStat st = ReadProcStat(pid);
    return st.Found && !st.Zombie && (startTime == 0 || st.StartTime == startTime);
}

std::string UserOfUid(uid_t uid) {
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &pw, buf.data(), buf.size(), &found) == 0 && found != nullptr &&
        found->pw_name != nullptr && found->pw_name[0] != '\0')
        return found->pw_name;
    // A user missing from the password database is shown by number.
    return std::to_string(uid);
}

// The effective user of a process (the second number of the "Uid:" line of its status);
// false when it cannot be read.
bool ProcessUid(int pid, uid_t& uid) {
    std::string text;
    if (ReadFileContent("/proc/" + std::to_string(pid) + "/status", text, 65536) == FileRead::Ok) {
        std::size_t at = text.find("\nUid:");
        if (at != std::string::npos) {
            char* end = nullptr;
            const char* p = text.c_str() + at + 5;
            std::strtoul(p, &end, 10); // real
            const unsigned long effective = std::strtoul(end, &end, 10);
            uid = static_cast<uid_t>(effective);
            return true;
        }
    }
    struct stat st {};
    if (::stat(("/proc/" + std::to_string(pid)).c_str(), &st) == 0) {
        uid = st.st_uid;
        return true;
    }
    return false;
}

// ---- launching -------------------------------------------------------------------------

// What the children report to the launcher through the pipe.
struct SpawnReport {
    char Kind; // 'P' the daemon's pid, 'F' fork failed, 'X' exec failed (Value: errno)
    int Value;
};

void Report(int fd, char kind, int value) {
    const SpawnReport report{kind, value};
    // Nothing can be done about a failed write here; the launcher then sees no pid.
    [[maybe_unused]] ssize_t n = ::write(fd, &report, sizeof report);
}

// Runs in the grandchild, after fork: only async-signal-safe calls until exec.
[[noreturn]] void ExecDaemon(const char* binary, char* const* argv, int devNull, int reportFd, int fdLimit) {
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // Dispositions set to "ignore" survive exec; the daemon starts with the defaults.
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    for (int sig : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM, SIGCHLD, SIGUSR1, SIGUSR2})
        ::sigaction(sig, &dfl, nullptr);
    if (::chdir("/") != 0) {
        // The daemon works with absolute paths only; it can run from anywhere.
    }
    ::dup2(devNull, STDIN_FILENO);
    ::dup2(devNull, STDOUT_FILENO);
    ::dup2(devNull, STDERR_FILENO);
    // No descriptor of the caller (databases, sockets, locks) goes with the daemon.  They
    // are marked close-on-exec rather than closed so that the report pipe stays open
    // until exec has succeeded.
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0)
        for (int fd = 3; fd < fdLimit; ++fd)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::execv(binary, argv);
    Report(reportFd, 'X', errno);
    ::_exit(127);
}

// Starts `binary` with `args` detached (double fork, new session); 0 and the daemon's pid,
// or an errno.
int SpawnDetached(const std::string& binary, const std::vector<std::string>& args, int& pid) {
    pid = 0;
    // Everything the children need is prepared here: after fork they may not allocate.
    std::vector<std::string> strings;
    strings.push_back(binary);
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : strings)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    long openMax = ::sysconf(_SC_OPEN_MAX);
    if (openMax < 0 || openMax > 65536)
        openMax = 65536;
    const int fdLimit = static_cast<int>(openMax);

    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (devNull < 0)
        return errno;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        const int error = errno;
        ::close(devNull);
        return error;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        ::close(devNull);
        return error;
    }
    if (child == 0) {
        ::close(fds[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild < 0) {
            Report(fds[1], 'F', errno);
            ::_exit(1);
        }
        if (grandchild == 0)
            ExecDaemon(argv[0], argv.data(), devNull, fds[1], fdLimit);
        Report(fds[1], 'P', static_cast<int>(grandchild));
        ::_exit(0);
    }
    ::close(fds[1]);
    ::close(devNull);

    // The pipe ends when the child has exited and the grandchild has run exec (its end is
    // close-on-exec) or given up.
    int result = 0;
    SpawnReport report{};
    std::size_t got = 0;
    for (;;) {
        const ssize_t n = ::read(fds[0], reinterpret_cast<char*>(&report) + got, sizeof report - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
        if (got < sizeof report)
            continue;
        got = 0;
        if (report.Kind == 'P')
            pid = report.Value;
        else if (result == 0)
            result = report.Value != 0 ? report.Value : EIO;
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (result == 0 && pid <= 0)
        result = ECHILD;
    if (result != 0)
        pid = 0;
    return result;
}

} // namespace

// ---- the lock ---------------------------------------------------------------------------

struct EngineService::LockProbe {
    int Error = 0; // errno when the pid file could not be looked at
    bool Locked = false;
    int Holder = 0;     // the process that holds the lock
    int WrittenPid = 0; // the pid written in the file, 0 when none (yet)
};

EngineService::LockProbe EngineService::ProbeLock() const {
    LockProbe probe;
    const std::string path = PidFilePath();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            probe.Error = errno;
        return probe;
    }
    // Closing this descriptor would drop a lock that this process held on the file; the
    // process that asks never holds one (the daemon is always another process).
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    const bool asked = ::fcntl(fd, F_GETLK, &lock) == 0;
    const int lockError = asked ? 0 : errno;
    ::close(fd);

    std::string text;
    int readError = 0;
    const FileRead read = ReadFileContent(path, text, kSmallFile, &readError);
    if (read == FileRead::Ok)
        probe.WrittenPid = ParsePidText(text);
    else if (read == FileRead::Unreadable)
        probe.Error = readError != 0 ? readError : EIO;
    if (probe.Error != 0)
        return probe;

    if (asked) {
        probe.Locked = lock.l_type != F_UNLCK;
        probe.Holder = probe.Locked ? static_cast<int>(lock.l_pid) : 0;
        // A holder in another pid namespace shows as 0: the written pid stands for it
        // when that process runs.
        if (probe.Locked && probe.Holder <= 0 && Runs(probe.WrittenPid, 0))
            probe.Holder = probe.WrittenPid;
        return probe;
    }
    if (lockError == EINVAL || lockError == ENOLCK || lockError == EOPNOTSUPP) {
        // A file system without locks: the written pid and a liveness test decide.
        probe.Locked = Runs(probe.WrittenPid, 0);
        probe.Holder = probe.Locked ? probe.WrittenPid : 0;
        return probe;
    }
    probe.Error = lockError;
    return probe;
}

// ---- the service ------------------------------------------------------------------------

EngineService::EngineService(std::string root) : m_root(std::move(root)) {
    while (m_root.size() > 1 && m_root.back() == kPathSeparator)
        m_root.pop_back();
}

std::string EngineService::PidFilePath() const {
    return Join(Join(Join(m_root, "Sys"), "Run"), kPidFileName);
}

std::string EngineService::MarkerPath(const char* suffix) const {
    return PidFilePath() + suffix;
}

bool EngineService::RootExists() const {
    return !m_root.empty() && DirectoryExists(m_root);
}

std::string EngineService::FindEngineBinary() {
    if (const char* forced = std::getenv(kBinaryVariable); forced != nullptr && forced[0] != '\0')
        return forced;
    const std::string beside = ExecutableDirectory();
    if (!beside.empty() && IsExecutableFile(beside + kBinaryName))
        return beside + kBinaryName;
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = dirs.substr(start, end - start);
        // An empty entry is the current directory; a daemon is never taken from there.
        if (!dir.empty() && dir.front() == kPathSeparator && IsExecutableFile(Join(dir, kBinaryName)))
            return Join(dir, kBinaryName);
        start = end + 1;
    }
    return {};
}

EngineService::ProcessIdentity EngineService::LiveMarker(const char* suffix,
                                                         const ProcessIdentity& remembered) const {
    std::string text;
    if (ReadFileContent(MarkerPath(suffix), text, kSmallFile) == FileRead::Ok) {
        char* end = nullptr;
        ProcessIdentity who;
        const long pid = std::strtol(text.c_str(), &end, 10);
        who.Pid = pid > 0 && pid <= INT_MAX ? static_cast<int>(pid) : 0;
        who.StartTime = std::strtoull(end, nullptr, 10);
        if (Runs(who.Pid, who.StartTime))
            return who;
    }
    if (Runs(remembered.Pid, remembered.StartTime))
        return remembered;
    return {};
}

void EngineService::WriteMarker(const char* suffix, const ProcessIdentity& who) const {
    // Best effort: this object remembers the same, and a marker that cannot be written
    // only leaves other observers to the lock.
    ReplaceFileNoFollow(MarkerPath(suffix), std::to_string(who.Pid) + " " + std::to_string(who.StartTime) + "\n",
                        0644);
}

int EngineService::QueryState(int* error) const {
    if (error != nullptr)
        *error = 0;
    if (!RootExists()) {
        if (error != nullptr)
            *error = ENOENT;
        return -1;
    }
    // Signalled and still there: stopping, whether or not it still holds the lock.
    if (LiveMarker(kStoppingSuffix, m_signalled).Pid != 0)
        return kServiceStopPending;
    const LockProbe probe = ProbeLock();
    if (probe.Error != 0) {
        if (error != nullptr)
            *error = probe.Error;
        return -1;
    }
    if (probe.Locked)
        return probe.WrittenPid == probe.Holder ? kServiceRunning : kServiceStartPending;
    // Launched but not yet holding the lock.
    if (LiveMarker(kStartingSuffix, m_launched).Pid != 0)
        return kServiceStartPending;
    return kServiceStopped;
}

int EngineService::DaemonPid() const {
    const LockProbe probe = ProbeLock();
    if (probe.Locked && probe.Holder > 0)
        return probe.Holder;
    if (const ProcessIdentity starting = LiveMarker(kStartingSuffix, m_launched); starting.Pid != 0)
        return starting.Pid;
    // Released the lock on its way out, but not gone yet.
    return LiveMarker(kStoppingSuffix, m_signalled).Pid;
}

bool EngineService::MayStart() const {
    if (!RootExists())
        return false;
    const std::string run = Join(Join(m_root, "Sys"), "Run");
    const std::string where = DirectoryExists(run) ? run : m_root;
    return ::access(where.c_str(), W_OK | X_OK) == 0;
}

bool EngineService::MayStop() const {
    const int pid = DaemonPid();
    return pid == 0 || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != EPERM;
}

int EngineService::Start() {
    if (!RootExists())
        return ENOENT;
    const std::string run = Join(Join(m_root, "Sys"), "Run");
    CreateDirectories(run, 0755);
    FileInDirectory where;
    UniqueFd startLock;
    if (OpenDirectoryOf(MarkerPath(kStartLockSuffix), where) == 0 &&
        OpenFileAt(where.Directory.Get(), where.Name, O_RDWR | O_CREAT, 0644, startLock) == 0) {
        struct flock whole {};
        whole.l_type = F_WRLCK;
        whole.l_whence = SEEK_SET;
        while (::fcntl(startLock.Get(), F_SETLKW, &whole) != 0 && errno == EINTR) {
        }
        // Without locks (some network file systems) starts at once may race, as before.
    }
    // Under the start lock: a daemon that another start launched shows here as starting.
    if (DaemonPid() != 0)
        return EALREADY;
    const std::string binary = FindEngineBinary();
    if (binary.empty())
        return ENOENT;
    // The daemon runs in "/", so it is given the root as an absolute path.
    char* absolute = ::realpath(m_root.c_str(), nullptr);
    if (absolute == nullptr)
        return errno;
    const std::string root = absolute;
    std::free(absolute);

    // Markers of earlier runs name processes that are gone; they go before the new run.
    ::unlink(MarkerPath(kStoppingSuffix).c_str());
    ::unlink(MarkerPath(kStartingSuffix).c_str());
    m_signalled = {};
    int pid = 0;
    if (const int error = SpawnDetached(binary, {"--root", root}, pid); error != 0)
        return error;
    m_launched.Pid = pid;
    m_launched.StartTime = ProcAvailable() ? ReadProcStat(pid).StartTime : 0;
    if (m_launched.StartTime == 0 && ProcAvailable()) {
        // Gone already (a second daemon on the root leaves at once): nothing to remember.
        m_launched = {};
        return 0;
    }
    WriteMarker(kStartingSuffix, m_launched);
    return 0;
}

int EngineService::Stop() {
    const int pid = DaemonPid();
    if (pid == 0)
        return ESRCH;
    ProcessIdentity who;
    who.Pid = pid;
    who.StartTime = ProcAvailable() ? ReadProcStat(pid).StartTime : 0;
    if (::kill(static_cast<pid_t>(pid), SIGTERM) != 0)
        return errno;
    m_signalled = who;
    WriteMarker(kStoppingSuffix, who);
    ::unlink(MarkerPath(kStartingSuffix).c_str());
    m_launched = {};
    return 0;
}

std::string EngineService::LogonAccount() const {
    const int pid = DaemonPid();
    if (pid == 0)
        return UserName();
    uid_t uid = 0;
    if (!ProcessUid(pid, uid))
        return {};
    return UserOfUid(uid);
}

} // namespace platform
