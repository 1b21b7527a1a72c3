#include "ProfileStorage.h"

#include "UniqueFd.h"
#include "platform/Profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace platform {

namespace {

// "dir/.name<suffix>" for "dir/name".
std::string HiddenSibling(const std::string& path, const std::string& suffix) {
    const auto slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, nameStart) + "." + path.substr(nameStart) + suffix;
}

} // namespace

std::string ProfileLockFile(const std::string& path) { return HiddenSibling(path, ".lock"); }

namespace profile {

namespace {

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// fcntl locks are owned by the process: a second thread asking for the lock would get
// it at once, and closing any descriptor of the lock file would drop it.  This mutex
// keeps the writers of one process in line before they meet the other processes'.
std::mutex& WriterMutex() {
    static std::mutex mutex;
    return mutex;
}

// Writes the complete new content next to the file and renames it over the file.  No
// fsync: the rename alone gives readers and other writers an all-or-nothing view, and
// ext4 (with its default auto_da_alloc) already starts writing out a file's data when it
// is renamed over another, so a crash does not leave an empty file behind.  An fsync
// per write made 6,000 small updates about half as slow again on a virtual disk, and far
// slower on real ones, for counters and requests that are rewritten every few seconds.
bool ReplaceFile(const std::string& path, const std::string& content) {
    struct stat old {};
    const bool existed = ::stat(path.c_str(), &old) == 0;

    const std::string temp = HiddenSibling(path, ".tmp." + std::to_string(::getpid()));
    UniqueFd out(OpenRetrying(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!out)
        return false;
    bool ok = true;
    // A replaced file keeps the permissions it had.
    if (existed && ::fchmod(out.Get(), old.st_mode & 07777) != 0)
        ok = false;
    ok = ok && WriteAll(out.Get(), content.data(), content.size());
    ok = out.Close() && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

} // namespace

ReadResult ReadWholeFile(const std::string& path, std::string& out) {
    out.clear();
    UniqueFd in(OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in)
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
    struct stat st {};
    if (::fstat(in.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return ReadResult::Failed;
    // The size is a hint only: the file may be one that is written in place by a program
    // other than ours, so read until the end whatever the size said.
    out.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == out.size())
            out.resize(out.size() * 2);
        const ssize_t n = ::read(in.Get(), out.data() + used, out.size() - used);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            out.clear();
            return ReadResult::Failed;
        }
        if (n == 0)
            break;
        used += static_cast<std::size_t>(n);
    }
    out.resize(used);
    return ReadResult::Ok;
}

Document Load(const std::string& path) {
    std::string bytes;
    if (ReadWholeFile(path, bytes) != ReadResult::Ok)
        return Document{};
    return Document::Parse(bytes);
}

bool Update(const std::string& path, const std::function<bool(Document&)>& edit) {
    std::lock_guard<std::mutex> inProcess(WriterMutex());

    const std::string lockPath = ProfileLockFile(path);
    UniqueFd lock(OpenRetrying(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (!lock)
        return false;
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET; // l_start = l_len = 0: the whole file
    while (::fcntl(lock.Get(), F_SETLKW, &whole) != 0) {
        if (errno == EINTR)
            continue;
        // Some network file systems offer no byte-range locks.  Writing unlocked there is
        // what the files' other writers do anyway; refusing would lose every update.
        if (errno == ENOLCK || errno == EOPNOTSUPP)
            break;
        return false;
    }

    std::string bytes;
    if (ReadWholeFile(path, bytes) == ReadResult::Failed)
        return false;
    Document doc = Document::Parse(bytes);
    if (!edit(doc))
        return true;
    return ReplaceFile(path, doc.Serialize());
    // The lock is released when `lock` closes, after the rename.
}

} // namespace profile
} // namespace platform
