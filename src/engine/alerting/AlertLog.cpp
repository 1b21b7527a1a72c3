#include "engine/alerting/AlertLog.h"

#include "library/QvcPath.h"
#include "model/tree/NodeStatus.h"
#include "platform/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

std::string AlertLogLine(const CSnLogSettings& settings, const AlertReport& report, std::int64_t when) {
    const AlertEvent& event = report.Request.Event;
    const std::time_t t = static_cast<std::time_t>(when);
    std::tm parts{};
    localtime_r(&t, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &parts);
    const std::string fields[] = {stamp,
                                  std::to_string(event.CheckId),
                                  event.Name,
                                  event.StatusName,
                                  ActionName(report.Request.ActionKind),
                                  report.Request.Recipient,
                                  report.Outcome.Ok ? "sent" : "failed",
                                  report.Outcome.Text};
    std::string line;
    for (const std::string& field : fields)
        line += (line.empty() ? "" : settings.Separator.Str()) + field;
    return line;
}

int AppendAlertLog(const CSnLogSettings& settings, const CQvcString& engineRoot, const AlertReport& report,
                   std::int64_t when) {
    if (!settings.Enabled || settings.ToDatabase || settings.SystemMessagesOnly ||
        settings.TextLogPath.IsEmpty())
        return 0;
    const std::string path = EngineRootPath(settings.TextLogPath, engineRoot).Str();
    platform::FileInDirectory file;
    if (const int error = platform::OpenDirectoryWithin(path, engineRoot.Str(), file); error != 0)
        return error;
    const std::string line = AlertLogLine(settings, report, when) + "\n";
    struct stat status {};
    const bool exists = ::fstatat(file.Directory.Get(), file.Name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
    const auto limit = static_cast<off_t>(settings.MaxSizeKB) * 1024;
    if (exists && settings.MaxSizeKB > 0 && status.st_size + static_cast<off_t>(line.size()) > limit) {
        if (!settings.BackupWhenFull)
            return 0;
        if (::renameat(file.Directory.Get(), file.Name.c_str(), file.Directory.Get(),
                       (file.Name + ".bak").c_str()) != 0)
            return errno;
    }
    platform::UniqueFd out;
    if (const int error =
            platform::OpenFileAt(file.Directory.Get(), file.Name, O_WRONLY | O_APPEND | O_CREAT, 0644, out);
        error != 0)
        return error;
    return ::write(out.Get(), line.data(), line.size()) == static_cast<ssize_t>(line.size()) ? 0 : errno;
}
