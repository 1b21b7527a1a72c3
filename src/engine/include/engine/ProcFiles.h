#pragma once
// Readers of the system's process file system (/proc) for the local check runners.
#include <map>
#include <string>
#include <vector>

// Time spent by a CPU, in clock ticks since start-up.
struct CpuTimes {
    unsigned long long Busy = 0;  // everything but idle and waiting for I/O
    unsigned long long Total = 0;
};
// From /proc/stat: [0] all CPUs together, then [1 + n] CPU n.  False when unreadable.
bool ReadCpuTimes(std::vector<CpuTimes>& out);

// The numbers of a file of "key value" lines (/proc/vmstat) or "Key: value kB" lines
// (/proc/meminfo, values in kB as written); empty when unreadable.
std::map<std::string, unsigned long long> ReadKeyValues(const std::string& path);

struct ProcessInfo {
    int Pid = 0;
    std::string Name;    // the name the system keeps (at most 15 characters)
    std::string Program; // the file name of the program it runs; empty for kernel threads
    unsigned long long ResidentBytes = 0;
    unsigned long long CpuTicks = 0; // user and system time
};
// Every process that could be read (processes that end meanwhile are left out).
std::vector<ProcessInfo> ListProcesses();
// The user and system time of one process; false when it has ended.
bool ReadProcessCpuTicks(int pid, unsigned long long& ticks);
