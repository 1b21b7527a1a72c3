#include "engine/CpuUsageRunner.h"

#include "RunnerCommon.h"
#include "model/checks/CheckSettings.h"
#include "engine/LocalTarget.h"
#include "engine/ProcFiles.h"
#include "engine/RunDeadline.h"

namespace {

// The usage is the share of busy time over this span (cut when the run has less time).
constexpr std::chrono::milliseconds kSample{1000};

} // namespace

CheckOutcome CCpuUsageRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const CpuSettings settings = CpuSettings::Read(check.Function);
    const CRunDeadline deadline(context);
    if (!IsLocalComputer(settings.Computer))
        return CheckOutcome::Uncertain(OtherComputerResponse(settings.Computer));

    std::vector<CpuTimes> before, after;
    if (!ReadCpuTimes(before))
        return CheckOutcome::Uncertain("The CPU times of this computer cannot be read");
    const std::size_t cpus = before.size() - 1;
    const std::size_t index = settings.OneCpu ? static_cast<std::size_t>(settings.Cpu) + 1 : 0;
    if (index >= before.size())
        return CheckOutcome::Uncertain("CPU " + std::to_string(settings.Cpu) + " does not exist on this computer (" +
                                       std::to_string(cpus) + " CPUs, counted from 0)");
    // Half of what is left at most, so that the result is in before the deadline.
    const auto span = std::min<std::chrono::milliseconds>(kSample, deadline.Remaining() / 2);
    if (!deadline.SleepFor(span))
        return runner::Cancelled();
    if (!ReadCpuTimes(after) || index >= after.size())
        return CheckOutcome::Uncertain("The CPU times of this computer cannot be read");
    const CpuTimes& a = before[index];
    const CpuTimes& b = after[index];
    if (b.Total <= a.Total)
        return CheckOutcome::Uncertain("No CPU time passed while the usage was measured");
    const double percent = 100.0 * static_cast<double>(b.Busy - std::min(a.Busy, b.Busy)) /
                           static_cast<double>(b.Total - a.Total);

    const std::string which = settings.OneCpu ? "CPU " + std::to_string(settings.Cpu)
                                              : "average of all " + std::to_string(cpus) + (cpus == 1 ? " CPU" : " CPUs");
    const std::string data = runner::Number(percent, 0) + "%";
    const std::string response = "CPU usage " + runner::Number(percent) + "% (" + which + ")";
    CheckOutcome outcome = percent > settings.MaxPercent ? CheckOutcome::Error(response, data)
                                                         : CheckOutcome::Success(response, data);
    outcome.Comment = "Limit: at most " + runner::Number(settings.MaxPercent, 0) + "%";
    return outcome;
}
