#include "platform/SafeFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform {

namespace {

int OpenAtRetrying(int directory, const char* name, int flags, mode_t mode) {
    int fd;
    do {
        fd = ::openat(directory, name, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// A name nobody can guess, so that no link or file can be waiting under it; O_EXCL makes
// sure of it anyway.
std::string TemporaryName(const std::string& name) {
    unsigned char bytes[8] = {};
    if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        // No entropy source: the pid and the clock still keep our own writers apart.
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const unsigned long long mix = (static_cast<unsigned long long>(::getpid()) << 40) ^
                                       static_cast<unsigned long long>(now.tv_nsec) ^
                                       (static_cast<unsigned long long>(now.tv_sec) << 20);
        std::memcpy(bytes, &mix, sizeof bytes);
    }
    std::string out = "." + name + ".tmp.";
    char hex[3];
    for (unsigned char b : bytes) {
        std::snprintf(hex, sizeof hex, "%02x", b);
        out += hex;
    }
    return out;
}

bool IsInside(const std::string& path, const std::string& root) {
    if (root == "/")
        return true;
    return path == root || (path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
                            path[root.size()] == '/');
}

} // namespace

int OpenDirectoryOf(const std::string& path, FileInDirectory& out) {
    out = FileInDirectory{};
    const std::size_t slash = path.find_last_of('/');
    // A name right below the root has the root as its directory.
    std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..")
        return EISDIR; // names a directory, never a file to write
    UniqueFd fd(OpenRetrying(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd)
        return errno;
    out.Directory = std::move(fd);
    out.Name = std::move(name);
    return 0;
}

std::string RealPathOfDirectory(int directory) {
    // The kernel's name of what the descriptor opened, whatever path led there.
    const std::string link = "/proc/self/fd/" + std::to_string(directory);
    std::vector<char> buf(PATH_MAX + 1);
    const ssize_t n = ::readlink(link.c_str(), buf.data(), buf.size() - 1);
    if (n <= 0 || buf[0] != '/')
        return {};
    return std::string(buf.data(), static_cast<std::size_t>(n));
}

int OpenDirectoryWithin(const std::string& path, const std::string& root, FileInDirectory& out) {
    char* resolved = ::realpath(root.c_str(), nullptr);
    if (resolved == nullptr)
        return errno;
    const std::string realRoot = resolved;
    std::free(resolved);
    if (const int error = OpenDirectoryOf(path, out); error != 0)
        return error;
    const std::string real = RealPathOfDirectory(out.Directory.Get());
    if (real.empty() || !IsInside(real, realRoot)) {
        out = FileInDirectory{};
        return EXDEV;
    }
    return 0;
}

int OpenFileAt(int directory, const std::string& name, int flags, mode_t mode, UniqueFd& out) {
    out = UniqueFd();
    // O_NONBLOCK: a FIFO planted at the name is refused below instead of waited on; it
    // changes nothing for regular files.
    UniqueFd fd(OpenAtRetrying(directory, name.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY,
                               mode));
    if (!fd)
        return errno == ENXIO ? EINVAL : errno;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    out = std::move(fd);
    return 0;
}

int ReadFileAt(int directory, const std::string& name, std::string& out) {
    out.clear();
    UniqueFd fd;
    if (const int error = OpenFileAt(directory, name, O_RDONLY, 0, fd); error != 0)
        return error;
    std::vector<char> buf(1 << 16);
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buf.data(), buf.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            out.clear();
            return error;
        }
        if (n == 0)
            return 0;
        out.append(buf.data(), static_cast<std::size_t>(n));
    }
}

int ReplaceFileAt(int directory, const std::string& name, std::string_view content, mode_t newMode) {
    struct stat old {};
    const bool existed = ::fstatat(directory, name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (existed && S_ISLNK(old.st_mode))
        return ELOOP;
    if (existed && S_ISDIR(old.st_mode))
        return EISDIR;
    if (!existed && errno != ENOENT)
        return errno;

    const std::string temp = TemporaryName(name);
    UniqueFd out(OpenAtRetrying(directory, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                newMode & 07777));
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
    // rename never follows a link at the new name: a link planted since the check above
    // is replaced, and what it pointed at stays untouched.
    if (result == 0)
        step(::renameat(directory, temp.c_str(), directory, name.c_str()) == 0);
    if (result != 0)
        ::unlinkat(directory, temp.c_str(), 0);
    return result;
}

int ReplaceFileNoFollow(const std::string& path, std::string_view content, mode_t newMode) {
    FileInDirectory where;
    if (const int error = OpenDirectoryOf(path, where); error != 0)
        return error;
    return ReplaceFileAt(where.Directory.Get(), where.Name, content, newMode);
}

namespace {

int AppendAt(const FileInDirectory& where, std::string_view content, mode_t newMode) {
    UniqueFd file;
    if (const int error =
            OpenFileAt(where.Directory.Get(), where.Name, O_WRONLY | O_APPEND | O_CREAT, newMode, file);
        error != 0)
        return error;
    if (!WriteAll(file.Get(), content.data(), content.size()))
        return errno != 0 ? errno : EIO;
    return file.Close() ? 0 : errno;
}

} // namespace

int AppendFileWithin(const std::string& path, const std::string& root, std::string_view content, mode_t newMode) {
    FileInDirectory where;
    if (const int error = OpenDirectoryWithin(path, root, where); error != 0)
        return error;
    return AppendAt(where, content, newMode);
}

int AppendFileNoFollow(const std::string& path, std::string_view content, mode_t newMode) {
    FileInDirectory where;
    if (const int error = OpenDirectoryOf(path, where); error != 0)
        return error;
    return AppendAt(where, content, newMode);
}

std::string FileSafetyError(int error) {
    switch (error) {
    case 0:
        return "no error";
    case ELOOP:
        return "it is a symbolic link, which is never written through";
    case EINVAL:
        return "it is not a regular file";
    case EXDEV:
        return "it lies outside the directory it must stay in";
    default:
        return std::strerror(error);
    }
}

} // namespace platform
