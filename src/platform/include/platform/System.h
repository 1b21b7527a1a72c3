#pragma once
// Small facts about the running system that the library needs.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace platform {

struct LocalTime {
    int year, month, day, hour, minute, second, weekday; // weekday: 0 = Sunday
    int millisecond;
};

LocalTime GetLocalTime();
LocalTime ToLocalTime(std::time_t t);
// Seconds since 1970 (UTC).
std::int64_t SecondsSince1970();
// Milliseconds since an arbitrary start (monotonic), like GetTickCount: wraps at 2^32.
std::uint32_t TickCount();
// Offset of local time from UTC in seconds (east positive) for the given moment.
long LocalUtcOffsetSeconds(std::time_t t);
// This machine's host name; empty when it cannot be read.
// $SENTRELLE_COMPUTER_NAME, when set (even to an empty text), replaces the real name so
// that tests can play a machine whose name cannot be read.
std::string ComputerName();
// The login name of the user running the process; empty when it cannot be read.
std::string UserName();
// Process id and liveness test.
int ProcessId();
bool ProcessAlive(int pid);
// Sleeps for the given milliseconds.
void SleepMs(unsigned ms);
// File system helpers that callers need with Windows-like results.
bool FileExists(const std::string& path); // a regular file (a directory does not count)
bool DirectoryExists(const std::string& path);
bool CopyFile(const std::string& from, const std::string& to, bool overwrite);
bool DeleteFile(const std::string& path);
// Creates the missing directories of `path`, each with exactly `mode` (the umask does not
// apply); directories that exist keep their modes.  True when `path` is a directory.
bool CreateDirectories(const std::string& path, mode_t mode = 0755);

// Outcome of reading a whole file.
enum class FileRead {
    Ok,
    Missing,    // the file, or a directory on its path, does not exist
    Directory,  // the path names a directory
    NotRegular, // a device, FIFO or socket: refused without waiting for a writer
    TooLarge,   // more than the caller's limit (also when the file grows past it while read)
    Unreadable, // it exists but cannot be opened or read (permissions, I/O error)
};
// Reads the whole regular file `path` into `out` (emptied on failure).  The size the file
// system reports is a hint only: the file is read to its end, and reading stops with
// TooLarge as soon as more than `maxBytes` bytes arrive.  `error`, when given, receives
// the errno of an Unreadable or Missing outcome (0 otherwise).
FileRead ReadFileContent(const std::string& path, std::string& out, std::size_t maxBytes = SIZE_MAX,
                         int* error = nullptr);
// "dir/.name<suffix>" for "dir/name": a hidden file beside `path`, which listings of the
// directory by name prefix do not count.
std::string HiddenSiblingPath(const std::string& path, const std::string& suffix);
// Puts `content` under `path` in one step: the content is written to a new hidden
// temporary file in the same directory (".<name>.tmp.<pid>.<n>"), which is then renamed
// over the file, so that a reader, or a crash, never meets half a file.  A replaced file
// keeps its permission bits; a path that is a symbolic link has the file it names
// replaced and stays a link.  Without `overwrite` the file must not exist yet (it is
// placed with link(), which refuses a name that appeared in the meantime).  Returns 0, or
// the errno of the step that failed (EEXIST without `overwrite` when the file exists);
// the temporary file never stays behind.
int WriteFileAtomically(const std::string& path, std::string_view content, bool overwrite);
// Native separator for paths on disk.
constexpr char kPathSeparator = '/';

} // namespace platform
