#include "ProfileStorage.h"

#include "platform/Profile.h"
#include "platform/SafeFile.h"
#include "platform/UniqueFd.h"
#include "platform/System.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace platform {

std::string ProfileLockFile(const std::string& path) { return HiddenSiblingPath(path, ".lock"); }

namespace profile {

namespace {

// fcntl locks are owned by the process: a second thread asking for the lock would get
// it at once, and closing any descriptor of the lock file would drop it.  This mutex
// keeps the writers of one process in line before they meet the other processes'.
std::mutex& WriterMutex() {
    static std::mutex mutex;
    return mutex;
}

} // namespace

ReadResult ReadWholeFile(const std::string& path, std::string& out) {
    switch (ReadFileContent(path, out)) {
    case FileRead::Ok:
        return ReadResult::Ok;
    case FileRead::Missing:
        return ReadResult::Missing;
    default:
        return ReadResult::Failed;
    }
}

Document Load(const std::string& path) {
    std::string bytes;
    if (ReadWholeFile(path, bytes) != ReadResult::Ok)
        return Document{};
    return Document::Parse(bytes);
}

bool Update(const std::string& path, const std::function<bool(Document&)>& edit, mode_t newFileMode) {
    std::lock_guard<std::mutex> inProcess(WriterMutex());

    // The lock file, the file and the temporary file are all reached through one
    // descriptor of their directory and never through a link at their names
    // (SafeFile.h): a program running as root writes nothing but the file it names.
    FileInDirectory where;
    UniqueFd lock;
    int error = OpenDirectoryOf(path, where);
    if (error == 0)
        error = OpenFileAt(where.Directory.Get(), "." + where.Name + ".lock", O_RDWR | O_CREAT, newFileMode, lock);
    if (error != 0) {
        errno = error;
        return false;
    }
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
    error = ReadFileAt(where.Directory.Get(), where.Name, bytes);
    if (error != 0 && error != ENOENT) {
        errno = error;
        return false;
    }
    Document doc = Document::Parse(bytes);
    if (!edit(doc))
        return true;
    // The complete new content goes to a temporary file that is renamed over the file.
    // No fsync: the rename alone gives readers and other writers an all-or-nothing view,
    // and ext4 (with its default auto_da_alloc) already starts writing out a file's data
    // when it is renamed over another, so a crash does not leave an empty file behind.
    // An fsync per write made 6,000 small updates about half as slow again on a virtual
    // disk, and far slower on real ones, for counters and requests that are rewritten
    // every few seconds.
    error = ReplaceFileAt(where.Directory.Get(), where.Name, doc.Serialize(), newFileMode);
    errno = error;
    return error == 0;
    // The lock is released when `lock` closes, after the rename.
}

} // namespace profile
} // namespace platform
