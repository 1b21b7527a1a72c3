#include "engine/ProcessRunner.h"

#include "RunnerCommon.h"
#include "model/checks/CheckSettings.h"
#include "engine/LocalTarget.h"
#include "engine/ProcFiles.h"
#include "engine/RunDeadline.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <set>

namespace {

// How long the CPU use of the process is watched.
constexpr std::chrono::milliseconds kCpuSample{1000};

// Names compare in lower case and without a final ".exe", so that a name typed as on the
// product's first platform ("java.exe") finds the process here.
std::string Normal(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
        name.pop_back();
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
        name.erase(0, 1);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0)
        name.resize(name.size() - 4);
    return name;
}

bool Matches(const ProcessInfo& process, const std::string& wanted) {
    // The system keeps at most 15 characters of a name; the program's file name is whole.
    const std::string name = Normal(process.Name);
    return name == wanted || Normal(process.Program) == wanted ||
           (name.size() == 15 && wanted.size() > 15 && wanted.compare(0, 15, name) == 0);
}

std::string MB(unsigned long long bytes) {
    return runner::Megabytes(static_cast<double>(bytes));
}

std::string Pids(const std::vector<ProcessInfo>& processes) {
    std::string out;
    for (std::size_t i = 0; i < processes.size() && i < 5; ++i)
        out += (i ? ", " : "") + std::to_string(processes[i].Pid);
    if (processes.size() > 5)
        out += ", ...";
    return out;
}

std::string Instances(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " instance" : " instances");
}

CheckOutcome AnyProcessMemory(const ProcessSettings& settings) {
    std::set<std::string> excluded;
    std::string item;
    for (char c : settings.Excluded + ",") {
        if (c == ',' || c == ';') {
            if (!Normal(item).empty())
                excluded.insert(Normal(item));
            item.clear();
        } else {
            item += c;
        }
    }
    const auto limit = static_cast<unsigned long long>(settings.MemoryLimitMB * 1024.0 * 1024.0);
    std::vector<ProcessInfo> above;
    const ProcessInfo* largest = nullptr;
    const std::vector<ProcessInfo> processes = ListProcesses();
    for (const ProcessInfo& process : processes) {
        if (excluded.count(Normal(process.Name)) || excluded.count(Normal(process.Program)))
            continue;
        if (!largest || process.ResidentBytes > largest->ResidentBytes)
            largest = &process;
        if (process.ResidentBytes > limit)
            above.push_back(process);
    }
    const std::string limitText = MB(limit);
    if (above.empty()) {
        std::string response = "No process uses more than " + limitText;
        if (largest)
            response += " (largest: " + largest->Name + ", " + MB(largest->ResidentBytes) + ")";
        return CheckOutcome::Success(response, largest ? MB(largest->ResidentBytes) : "");
    }
    std::sort(above.begin(), above.end(),
              [](const ProcessInfo& a, const ProcessInfo& b) { return a.ResidentBytes > b.ResidentBytes; });
    std::string list;
    for (std::size_t i = 0; i < above.size() && i < 3; ++i)
        list += (i ? ", " : "") + above[i].Name + " (" + MB(above[i].ResidentBytes) + ")";
    if (above.size() > 3)
        list += ", ...";
    return CheckOutcome::Error(std::to_string(above.size()) + (above.size() == 1 ? " process uses" : " processes use") +
                                   " more than " + limitText + ": " + list,
                               MB(above.front().ResidentBytes));
}

} // namespace

CheckOutcome CProcessRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const ProcessSettings settings = ProcessSettings::Read(check.Function);
    const CRunDeadline deadline(context);
    if (!IsLocalComputer(settings.Computer))
        return CheckOutcome::Uncertain(OtherComputerResponse(settings.Computer));
    if (settings.AnyProcessMemory)
        return AnyProcessMemory(settings);
    const std::string wanted = Normal(settings.Name);
    if (wanted.empty())
        return CheckOutcome::Uncertain("No process name configured");

    std::vector<ProcessInfo> found;
    for (ProcessInfo& process : ListProcesses()) {
        if (Matches(process, wanted))
            found.push_back(std::move(process));
    }
    const std::string name = "Process '" + settings.Name + "'";
    if (settings.MustNotRun) {
        if (found.empty())
            return CheckOutcome::Success(name + " is not running", "not running");
        return CheckOutcome::Error(name + " is running (" + Instances(found.size()) + ", PID " + Pids(found) + ")",
                                   Instances(found.size()));
    }
    if (found.empty())
        return CheckOutcome::Error(name + " is not running", "not running");

    unsigned long long largest = 0;
    for (const ProcessInfo& process : found)
        largest = std::max(largest, process.ResidentBytes);
    std::string response = name + " is running (" + Instances(found.size()) + ", PID " + Pids(found) + ", " +
                           MB(largest) + ")";
    std::string data = Instances(found.size());
    if (settings.CheckMemory) {
        const auto limit = static_cast<unsigned long long>(settings.MemoryLimitMB * 1024.0 * 1024.0);
        data = MB(largest);
        if (largest > limit)
            return CheckOutcome::Error(name + " uses " + MB(largest) + ", above the limit of " + MB(limit), data);
    }
    if (settings.CheckCpu) {
        // The ticks of every instance against the ticks of one CPU over the same time, as
        // top shows it: 100% is one CPU fully busy, a process on several CPUs goes above.
        std::vector<CpuTimes> before, after;
        if (!ReadCpuTimes(before))
            return CheckOutcome::Uncertain("The CPU times of this computer cannot be read");
        unsigned long long start = 0, end = 0;
        for (const ProcessInfo& process : found)
            start += process.CpuTicks;
        if (!deadline.SleepFor(kCpuSample))
            return runner::Cancelled();
        for (const ProcessInfo& process : found) {
            unsigned long long ticks = process.CpuTicks; // an instance that ended adds nothing more
            ReadProcessCpuTicks(process.Pid, ticks);
            end += ticks;
        }
        if (!ReadCpuTimes(after) || after.front().Total <= before.front().Total)
            return CheckOutcome::Uncertain("The CPU times of this computer cannot be read");
        const double cpus = static_cast<double>(std::max<std::size_t>(before.size() - 1, 1));
        const double percent = 100.0 * cpus * static_cast<double>(end - std::min(start, end)) /
                               static_cast<double>(after.front().Total - before.front().Total);
        data = runner::Number(percent) + "%";
        if (percent > settings.CpuLimit)
            return CheckOutcome::Error(name + " uses " + data + " of one CPU, above the limit of " +
                                           runner::Number(settings.CpuLimit) + "%",
                                       data);
        response += ", " + data + " of one CPU";
    }
    return CheckOutcome::Success(response, data);
}
