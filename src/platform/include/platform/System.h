#pragma once
// Small facts about the running system that the library needs.
#include <cstdint>
#include <ctime>
#include <string>

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
bool FileExists(const std::string& path);      // a regular file (a directory does not count)
bool DirectoryExists(const std::string& path);
bool CopyFile(const std::string& from, const std::string& to, bool overwrite);
bool DeleteFile(const std::string& path);
bool CreateDirectories(const std::string& path);
// Native separator for paths on disk.
constexpr char kPathSeparator = '/';

} // namespace platform
