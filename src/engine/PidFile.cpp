#include "engine/PidFile.h"

#include "platform/SafeFile.h"
#include "platform/System.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

CPidFile::CPidFile(std::string path) : m_path(std::move(path)) {}

CPidFile::~CPidFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string CPidFile::PathForRoot(const std::string& root) {
    std::string path = root;
    if (path.empty() || path.back() != platform::kPathSeparator)
        path += platform::kPathSeparator;
    return path + "Sys/Run/QvsSnSvc.pid";
}

int CPidFile::ReadPid(const std::string& path) {
    std::string text;
    if (platform::ReadFileContent(path, text, 64) != platform::FileRead::Ok)
        return 0;
    char* end = nullptr;
    const long pid = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || pid <= 0 || pid > 0x7FFFFFFF)
        return 0;
    return static_cast<int>(pid);
}

CPidFile::LockResult CPidFile::Lock(int* holderPid, std::string* error) {
    if (holderPid)
        *holderPid = 0;
    if (m_fd >= 0)
        return LockResult::Locked;
    const auto fail = [&](const char* what, int code) {
        if (error)
            *error = std::string("cannot ") + what + " " + m_path + ": " + platform::FileSafetyError(code);
        return LockResult::Failed;
    };
    platform::CreateDirectories(std::filesystem::path(m_path).parent_path().string());
    platform::FileInDirectory where;
    if (const int code = platform::OpenDirectoryOf(m_path, where); code != 0)
        return fail("open", code);
    platform::UniqueFd file;
    // An engine that stops removes the file while it still holds the lock: a file opened
    // just before that is locked in vain, as nobody finds it by its name any more.  So
    // the lock counts only on the file that the name still leads to.  The name is never
    // followed as a link: a link planted there makes the start fail.
    for (int attempt = 0;; ++attempt) {
        if (const int code = platform::OpenFileAt(where.Directory.Get(), where.Name, O_RDWR | O_CREAT, 0644, file);
            code != 0)
            return fail("open", code);
        struct flock whole {};
        whole.l_type = F_WRLCK;
        whole.l_whence = SEEK_SET; // start 0, length 0: the whole file, however long
        if (::fcntl(file.Get(), F_SETLK, &whole) != 0) {
            const int code = errno;
            file = platform::UniqueFd();
            if (code == EAGAIN || code == EACCES) {
                if (holderPid)
                    *holderPid = ReadPid(m_path);
                return LockResult::Busy;
            }
            return fail("lock", code);
        }
        struct stat opened {}, named {};
        if (::fstat(file.Get(), &opened) == 0 &&
            ::fstatat(where.Directory.Get(), where.Name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            opened.st_dev == named.st_dev && opened.st_ino == named.st_ino)
            break;
        file = platform::UniqueFd();
        if (attempt == 10) {
            if (error)
                *error = "cannot lock " + m_path + ": the file keeps being replaced";
            return LockResult::Failed;
        }
    }
    // Whatever an engine that died left in the file is not this engine's pid.
    if (::ftruncate(file.Get(), 0) != 0)
        return fail("empty", errno);
    // The service controller and Managers of other users read the pid; nobody else writes it.
    ::fchmod(file.Get(), 0644);
    m_fd = file.Release();
    return LockResult::Locked;
}

bool CPidFile::WritePid(int pid) {
    if (m_fd < 0)
        return false;
    const std::string text = std::to_string(pid) + "\n";
    if (::ftruncate(m_fd, 0) != 0)
        return false;
    return ::pwrite(m_fd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()) && ::fsync(m_fd) == 0;
}

void CPidFile::Remove() {
    if (m_fd < 0)
        return;
    ::unlink(m_path.c_str());
    ::close(m_fd);
    m_fd = -1;
}
