#include "engine/MemoryUsageRunner.h"

#include "RunnerCommon.h"
#include "model/checks/CheckSettings.h"
#include "engine/LocalTarget.h"
#include "engine/ProcFiles.h"
#include "engine/RunDeadline.h"

namespace {

constexpr std::chrono::milliseconds kSample{1000};

unsigned long long Value(const std::map<std::string, unsigned long long>& values, const char* key) {
    const auto found = values.find(key);
    return found == values.end() ? 0 : found->second;
}

// Pages read from or written to disk to serve memory: major faults and swapping.
unsigned long long PagingCount(const std::map<std::string, unsigned long long>& vm) {
    return Value(vm, "pgmajfault") + Value(vm, "pswpin") + Value(vm, "pswpout");
}

} // namespace

CheckOutcome CMemoryUsageRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const MemorySettings settings = MemorySettings::Read(check.Function);
    const CRunDeadline deadline(context);
    if (!IsLocalComputer(settings.Computer))
        return CheckOutcome::Uncertain(OtherComputerResponse(settings.Computer));

    if (settings.PagesPerSecond) {
        const auto before = ReadKeyValues("/proc/vmstat");
        if (before.empty())
            return CheckOutcome::Uncertain("The paging counters of this computer cannot be read");
        const auto start = CRunDeadline::Clock::now();
        if (!deadline.SleepFor(std::min<std::chrono::milliseconds>(kSample, deadline.Remaining() / 2)))
            return runner::Cancelled();
        const auto after = ReadKeyValues("/proc/vmstat");
        const std::chrono::duration<double> took = CRunDeadline::Clock::now() - start;
        if (after.empty() || took.count() <= 0)
            return CheckOutcome::Uncertain("The paging counters of this computer cannot be read");
        const unsigned long long a = PagingCount(before), b = PagingCount(after);
        const double rate = static_cast<double>(b - std::min(a, b)) / took.count();
        const std::string data = runner::Number(rate, 0) + " pages/s";
        const std::string response = "Paging: " + data + " read from or written to disk";
        CheckOutcome outcome = rate > settings.Limit ? CheckOutcome::Error(response, data)
                                                     : CheckOutcome::Success(response, data);
        outcome.Comment = "Limit: at most " + runner::Number(settings.Limit, 0) + " pages/s";
        return outcome;
    }

    const auto info = ReadKeyValues("/proc/meminfo");
    const double total = static_cast<double>(Value(info, "MemTotal")) * 1024.0;
    if (total <= 0)
        return CheckOutcome::Uncertain("The memory figures of this computer cannot be read");
    // Without MemAvailable (very old systems) free memory and caches are what is left.
    const double available = static_cast<double>(info.count("MemAvailable")
                                                     ? Value(info, "MemAvailable")
                                                     : Value(info, "MemFree") + Value(info, "Cached") +
                                                           Value(info, "Buffers")) *
                             1024.0;
    const double swapTotal = static_cast<double>(Value(info, "SwapTotal")) * 1024.0;
    const double swapFree = static_cast<double>(Value(info, "SwapFree")) * 1024.0;
    const double inUse = std::max(0.0, total - available) + std::max(0.0, swapTotal - swapFree);
    const double percent = 100.0 * inUse / (total + swapTotal);

    const std::string data = runner::Number(percent, 0) + "%";
    std::string response = "Memory in use: " + runner::Bytes(inUse) + " of " + runner::Bytes(total) + " memory";
    if (swapTotal > 0)
        response += " and " + runner::Bytes(swapTotal) + " swap";
    response += " (" + runner::Number(percent) + "%)";
    CheckOutcome outcome = percent > settings.Limit ? CheckOutcome::Error(response, data)
                                                    : CheckOutcome::Success(response, data);
    outcome.Comment = "Limit: at most " + runner::Number(settings.Limit, 0) + "%";
    return outcome;
}
