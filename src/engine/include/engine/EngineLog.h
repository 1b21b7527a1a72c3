#pragma once
// CEngineLog: the engine's own diagnostic log, a text file in the Logs directory of the
// Engine root (and standard error when the engine runs in the foreground).  One line per
// message: local date and time, the level, the text.  Safe to use from any thread.  The
// file is started afresh, its predecessor kept as "<name>.1", once it outgrows its
// limit, so it never fills the disk.
#include "library/QvcString.h"

#include <cstdarg>
#include <cstddef>
#include <mutex>
#include <string>

class CEngineLog {
public:
    static constexpr std::size_t kDefaultMaxBytes = 4 * 1024 * 1024;

    CEngineLog() = default;
    ~CEngineLog();
    CEngineLog(const CEngineLog&) = delete;
    CEngineLog& operator=(const CEngineLog&) = delete;

    // Appends to `path` from now on; false (and no file output) when it cannot be opened,
    // with the reason in `error` (a link at `path` is refused, never written through).
    bool Open(const CQvcString& path, std::size_t maxBytes = kDefaultMaxBytes, std::string* error = nullptr);
    // Copies every line to standard error as well.
    void SetEcho(bool echo);

    void Info(const char* format, ...) QVC_PRINTF(2, 3);
    void Warning(const char* format, ...) QVC_PRINTF(2, 3);
    void Error(const char* format, ...) QVC_PRINTF(2, 3);

private:
    void Write(const char* level, const char* format, va_list args);
    void RotateLocked();
    int OpenFileLocked(int extraFlags);

    std::mutex m_mutex;
    CQvcString m_path;
    int m_fd = -1;
    std::size_t m_size = 0;
    std::size_t m_maxBytes = kDefaultMaxBytes;
    bool m_echo = false;
};
