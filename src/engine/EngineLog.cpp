#include "engine/EngineLog.h"

#include "platform/SafeFile.h"
#include "platform/System.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

void WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            return; // a log that cannot be written must not stop the engine
        done += static_cast<std::size_t>(n);
    }
}

} // namespace

CEngineLog::~CEngineLog() {
    if (m_fd >= 0)
        ::close(m_fd);
}

int CEngineLog::OpenFileLocked(int extraFlags) {
    // Never through a link at the log's name: the engine may run as root, and the Logs
    // directory may be writable by others.
    platform::FileInDirectory where;
    platform::UniqueFd file;
    int error = platform::OpenDirectoryOf(m_path.Str(), where);
    if (error == 0)
        error = platform::OpenFileAt(where.Directory.Get(), where.Name, O_WRONLY | O_CREAT | O_APPEND | extraFlags,
                                     0644, file);
    m_fd = file.Release();
    m_size = 0;
    return error;
}

bool CEngineLog::Open(const CQvcString& path, std::size_t maxBytes, std::string* error) {
    std::lock_guard lock(m_mutex);
    if (m_fd >= 0)
        ::close(m_fd);
    m_path = path;
    m_maxBytes = maxBytes;
    if (const int code = OpenFileLocked(0); code != 0 && error != nullptr)
        *error = platform::FileSafetyError(code);
    struct stat info {};
    if (m_fd >= 0 && ::fstat(m_fd, &info) == 0)
        m_size = static_cast<std::size_t>(info.st_size);
    if (m_fd >= 0 && m_size >= m_maxBytes)
        RotateLocked();
    return m_fd >= 0;
}

void CEngineLog::SetEcho(bool echo) {
    std::lock_guard lock(m_mutex);
    m_echo = echo;
}

void CEngineLog::RotateLocked() {
    const std::string old = m_path.Str() + ".1";
    ::close(m_fd);
    // rename replaces a link planted at the old name instead of writing through it.
    ::rename(m_path.c_str(), old.c_str());
    OpenFileLocked(O_TRUNC);
}

void CEngineLog::Write(const char* level, const char* format, va_list args) {
    CQvcString text;
    text.FormatV(format, args);
    const platform::LocalTime t = platform::GetLocalTime();
    char head[64];
    std::snprintf(head, sizeof head, "%04d-%02d-%02d %02d:%02d:%02d %s: ", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, level);
    std::string line = head;
    line += text.Str();
    line += '\n';

    std::lock_guard lock(m_mutex);
    if (m_fd >= 0) {
        if (m_size + line.size() > m_maxBytes)
            RotateLocked();
        if (m_fd >= 0) {
            WriteAll(m_fd, line);
            m_size += line.size();
        }
    }
    if (m_echo)
        WriteAll(STDERR_FILENO, line);
}

void CEngineLog::Info(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Write("info", format, args);
    va_end(args);
}

void CEngineLog::Warning(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Write("warning", format, args);
    va_end(args);
}

void CEngineLog::Error(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Write("error", format, args);
    va_end(args);
}
