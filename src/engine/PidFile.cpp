#include "engine/PidFile.h"

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
    const std::filesystem::path directory = std::filesystem::path(m_path).parent_path();
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    int fd = -1;
    // An engine that stops removes the file while it still holds the lock: a file opened
    // just before that is locked in vain, as nobody finds it by its name any more.  So
    // the lock counts only on the file that the name still leads to.
    for (int attempt = 0;; ++attempt) {
        fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (error)
                *error = "cannot open " + m_path + ": " + std::strerror(errno);
            return LockResult::Failed;
        }
        struct flock whole {};
        whole.l_type = F_WRLCK;
        whole.l_whence = SEEK_SET; // start 0, length 0: the whole file, however long
        if (::fcntl(fd, F_SETLK, &whole) != 0) {
            const int code = errno;
            ::close(fd);
            if (code == EAGAIN || code == EACCES) {
                if (holderPid)
                    *holderPid = ReadPid(m_path);
                return LockResult::Busy;
            }
            if (error)
                *error = "cannot lock " + m_path + ": " + std::strerror(code);
            return LockResult::Failed;
        }
        struct stat opened {}, named {};
        if (::fstat(fd, &opened) == 0 && ::stat(m_path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
            opened.st_ino == named.st_ino)
            break;
        ::close(fd);
        if (attempt == 10) {
            if (error)
                *error = "cannot lock " + m_path + ": the file keeps being replaced";
            return LockResult::Failed;
        }
    }
    // Whatever an engine that died left in the file is not this engine's pid.
    if (::ftruncate(fd, 0) != 0) {
        if (error)
            *error = "cannot empty " + m_path + ": " + std::strerror(errno);
        ::close(fd);
        return LockResult::Failed;
    }
    m_fd = fd;
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
