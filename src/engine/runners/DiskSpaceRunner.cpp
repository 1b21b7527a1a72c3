#include "engine/DiskSpaceRunner.h"

#include "RunnerCommon.h"
#include "model/checks/CheckSettings.h"
#include "engine/LocalTarget.h"
#include "engine/NetworkHelpers.h"

#include <sys/statvfs.h>

#include <cctype>
#include <cerrno>

CheckOutcome CDiskSpaceRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const DiskSpaceSettings settings = DiskSpaceSettings::Read(check.Function);
    if (!IsLocalComputer(settings.Computer))
        return CheckOutcome::Uncertain(OtherComputerResponse(settings.Computer));
    if (settings.Drive.empty())
        return CheckOutcome::Uncertain("No drive or mount point configured");

    std::string path;
    if (IsDriveLetter(settings.Drive)) {
        // "C:" is the system drive where the product comes from: here that is "/".  Other
        // letters name nothing on this system.
        if (std::toupper(static_cast<unsigned char>(settings.Drive[0])) != 'C')
            return CheckOutcome::Uncertain("Drive '" + settings.Drive +
                                           "' has no meaning on this computer; enter a mount point such as /home");
        path = "/";
    } else {
        std::string why;
        if (!LocalPathFromStored(settings.Drive, context.EngineRoot, path, why))
            return CheckOutcome::Uncertain(why);
    }

    struct statvfs fs {};
    if (::statvfs(path.c_str(), &fs) != 0)
        return CheckOutcome::Error("The file system of '" + path + "' cannot be read: " + ErrnoText(errno));
    const double block = static_cast<double>(fs.f_frsize ? fs.f_frsize : fs.f_bsize);
    const double total = static_cast<double>(fs.f_blocks) * block;
    const double available = static_cast<double>(fs.f_bavail) * block;
    const double used = static_cast<double>(fs.f_blocks - fs.f_bfree) * block;
    if (total <= 0 || used + available <= 0)
        return CheckOutcome::Uncertain("'" + path + "' is on a file system without a size");
    // As df counts: the share of what users may fill, leaving out the space kept for root.
    const double usedPercent = used / (used + available) * 100.0;

    const double bytes = settings.MeasureFree ? available : used;
    double measured = 0;
    std::string unit;
    switch (settings.LimitUnit) {
    case DiskSpaceSettings::Unit::MB:
        measured = bytes / (1024.0 * 1024.0);
        unit = " MB";
        break;
    case DiskSpaceSettings::Unit::GB:
        measured = bytes / (1024.0 * 1024.0 * 1024.0);
        unit = " GB";
        break;
    case DiskSpaceSettings::Unit::Percent:
        measured = settings.MeasureFree ? 100.0 - usedPercent : usedPercent;
        unit = "%";
        break;
    }
    const std::string what = settings.MeasureFree ? " free" : " used";
    const std::string data = runner::Number(measured) + unit + what;
    const std::string response = path + ": " + runner::Bytes(available) + " free of " + runner::Bytes(total) + " (" +
                                 runner::Number(usedPercent) + "% used)";
    const bool failed = settings.ErrorBelow ? measured < settings.Limit : measured > settings.Limit;
    CheckOutcome outcome = failed ? CheckOutcome::Error(response, data) : CheckOutcome::Success(response, data);
    outcome.Comment = std::string("Limit: ") + (settings.ErrorBelow ? "at least " : "at most ") +
                      runner::Number(settings.Limit) + unit + what;
    return outcome;
}
