#include "platform/System.h"

#include "platform/UniqueFd.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>
#include <vector>

namespace platform {

namespace {

LocalTime FromTm(const std::tm& tm, int millisecond) {
    LocalTime t{};
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    t.weekday = tm.tm_wday;
    t.millisecond = millisecond;
    return t;
}

bool StatIs(const std::string& path, mode_t type) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == type;
}

bool CopyContent(int from, int to) {
    std::vector<char> buf(1 << 16);
    for (;;) {
        const ssize_t n = ::read(from, buf.data(), buf.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        if (!WriteAll(to, buf.data(), static_cast<std::size_t>(n)))
            return false;
    }
}

} // namespace

LocalTime GetLocalTime() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm tm{};
    ::localtime_r(&now.tv_sec, &tm);
    return FromTm(tm, static_cast<int>(now.tv_nsec / 1000000));
}

LocalTime ToLocalTime(std::time_t t) {
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return FromTm(tm, 0);
}

std::int64_t SecondsSince1970() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec);
}

std::uint32_t TickCount() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms =
        static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms); // wraps at 2^32 like its Windows model
}

long LocalUtcOffsetSeconds(std::time_t t) {
    std::tm tm{};
    if (::localtime_r(&t, &tm) == nullptr)
        return 0;
    return tm.tm_gmtoff;
}

std::string ComputerName() {
    if (const char* forced = std::getenv("SENTRELLE_COMPUTER_NAME"))
        return forced;
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

std::string UserName() {
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &pw, buf.data(), buf.size(), &found) == 0 && found != nullptr &&
        found->pw_name != nullptr && found->pw_name[0] != '\0')
        return found->pw_name;
    // A user missing from the password database (containers, some directory services).
    if (const char* user = std::getenv("USER"))
        return user;
    return {};
}

int ProcessId() {
    return static_cast<int>(::getpid());
}

bool ProcessAlive(int pid) {
    // 0 and negative numbers address process groups, not one process.
    if (pid <= 0)
        return false;
    // EPERM: the process exists but belongs to someone else.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

void SleepMs(unsigned ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool FileExists(const std::string& path) {
    return StatIs(path, S_IFREG);
}

bool DirectoryExists(const std::string& path) {
    return StatIs(path, S_IFDIR);
}

bool CopyFile(const std::string& from, const std::string& to, bool overwrite) {
    if (from.empty() || to.empty())
        return false;
    UniqueFd in(OpenRetrying(from.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!in || ::fstat(in.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (DirectoryExists(to))
        return false;
    if (!overwrite && ::access(to.c_str(), F_OK) == 0)
        return false;

    // The copy is written next to the target and moved into place in one step, so that
    // nobody sees a half-copied file under the target's name.
    const std::string temp = to + ".tmp." + std::to_string(::getpid());
    UniqueFd out(OpenRetrying(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 07777));
    if (!out)
        return false;
    bool ok = CopyContent(in.Get(), out.Get());
    // Like its Windows model, the copy keeps the source's modification time.
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ok = ok && ::fchmod(out.Get(), st.st_mode & 07777) == 0 && ::futimens(out.Get(), times) == 0;
    ok = out.Close() && ok;
    if (ok) {
        // Without overwrite, link() places the copy only when the name is still free,
        // even if another process created the target since the check above.
        ok = overwrite ? ::rename(temp.c_str(), to.c_str()) == 0 : ::link(temp.c_str(), to.c_str()) == 0;
    }
    if (!ok || !overwrite)
        ::unlink(temp.c_str());
    return ok;
}

bool DeleteFile(const std::string& path) {
    // unlink refuses directories, as DeleteFile does.
    return !path.empty() && ::unlink(path.c_str()) == 0;
}

bool CreateDirectories(const std::string& path, mode_t mode) {
    if (path.empty())
        return false;
    // Each missing directory is made with `mode` exactly, whatever the umask: under a
    // umask of 000 a directory made with the default would be writable by every user.
    std::size_t end = 0;
    while (end != std::string::npos) {
        end = path.find('/', end + 1);
        const std::string part = path.substr(0, end);
        if (part.empty() || part.back() == '/')
            continue;
        if (::mkdir(part.c_str(), mode & 07777) == 0) {
            if (::chmod(part.c_str(), mode & 07777) != 0)
                return false;
        } else if (errno != EEXIST) {
            return false;
        }
    }
    return DirectoryExists(path);
}

FileRead ReadFileContent(const std::string& path, std::string& out, std::size_t maxBytes, int* error) {
    out.clear();
    if (error != nullptr)
        *error = 0;
    const auto fail = [&](FileRead result, int number) {
        out.clear();
        out.shrink_to_fit();
        if (error != nullptr)
            *error = number;
        return result;
    };
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer forever.
    // It changes nothing for the regular files that are read below.
    UniqueFd in(OpenRetrying(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!in) {
        const int number = errno;
        if (number == ENOENT || number == ENOTDIR)
            return fail(FileRead::Missing, number);
        return fail(DirectoryExists(path) ? FileRead::Directory : FileRead::Unreadable, number);
    }
    struct stat st {};
    if (::fstat(in.Get(), &st) != 0)
        return fail(FileRead::Unreadable, errno);
    if (S_ISDIR(st.st_mode))
        return fail(FileRead::Directory, 0);
    if (!S_ISREG(st.st_mode))
        return fail(FileRead::NotRegular, 0);
    if (static_cast<std::uintmax_t>(st.st_size) > maxBytes)
        return fail(FileRead::TooLarge, 0);
    out.reserve(static_cast<std::size_t>(st.st_size));
    std::vector<char> buf(1 << 16);
    for (;;) {
        const ssize_t n = ::read(in.Get(), buf.data(), buf.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(FileRead::Unreadable, errno);
        }
        if (n == 0)
            break;
        if (static_cast<std::size_t>(n) > maxBytes - out.size())
            return fail(FileRead::TooLarge, 0);
        out.append(buf.data(), static_cast<std::size_t>(n));
    }
    return FileRead::Ok;
}

std::string HiddenSiblingPath(const std::string& path, const std::string& suffix) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, nameStart) + "." + path.substr(nameStart) + suffix;
}

int WriteFileAtomically(const std::string& path, std::string_view content, bool overwrite) {
    if (path.empty())
        return ENOENT;
    // A link stays a link: the file it names is the one replaced.
    std::string target = path;
    struct stat link {};
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) != nullptr)
            target = resolved;
    }
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    if (existed && !overwrite)
        return EEXIST;
    if (existed && S_ISDIR(old.st_mode))
        return EISDIR;

    // The pid tells the processes apart and the counter the threads of one process; with
    // O_EXCL no two writers ever share a temporary file.
    static std::atomic<unsigned> sequence{0};
    const std::string temp =
        HiddenSiblingPath(target, ".tmp." + std::to_string(::getpid()) + "." + std::to_string(++sequence));
    UniqueFd out(OpenRetrying(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!out)
        return errno;
    int result = 0;
    const auto step = [&result](bool ok) {
        if (!ok && result == 0)
            result = errno != 0 ? errno : EIO;
    };
    if (existed)
        step(::fchmod(out.Get(), old.st_mode & 07777) == 0);
    if (result == 0)
        step(WriteAll(out.Get(), content.data(), content.size()));
    step(out.Close());
    if (result == 0) {
        // Without overwrite, link() places the file only while the name is still free.
        step(overwrite ? ::rename(temp.c_str(), target.c_str()) == 0
                       : ::link(temp.c_str(), target.c_str()) == 0);
    }
    if (result != 0 || !overwrite)
        ::unlink(temp.c_str());
    return result;
}

} // namespace platform
