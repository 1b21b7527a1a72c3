#include "NotificationLog.h"

#include "library/QvcPath.h"
#include "platform/SafeFile.h"
#include "platform/System.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex& WarningMutex() {
    static std::mutex mutex;
    return mutex;
}

std::function<void(const std::string&)>& WarningSink() {
    static std::function<void(const std::string&)> sink;
    return sink;
}

void Warn(const std::string& text) {
    std::lock_guard lock(WarningMutex());
    if (WarningSink())
        WarningSink()(text);
}

} // namespace

void SetNotificationLogWarnings(std::function<void(const std::string&)> sink) {
    std::lock_guard lock(WarningMutex());
    WarningSink() = std::move(sink);
}

int AppendNotificationLog(const std::string& stored, const CQvcString& engineRoot,
                          const std::vector<std::string>& lines) {
    if (stored.empty() || engineRoot.IsEmpty() || lines.empty())
        return 0;
    const CQvcString path = EngineRootPath(CQvcString(stored), engineRoot);
    const platform::LocalTime now = platform::GetLocalTime();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[%04d-%02d-%02d %02d:%02d:%02d] ", now.year, now.month, now.day, now.hour,
                  now.minute, now.second);
    std::string text;
    for (const std::string& line : lines)
        text += stamp + line + "\n";
    // A request may name any path: the engine writes only below its own root, judged by
    // where the file's directory really is (neither ".." nor a linked directory leads
    // out), and never through a link at the file's name.
    const int error = platform::AppendFileWithin(path.Str(), engineRoot.Str(), text, 0644);
    if (error != 0)
        Warn("Notification log " + path.Str() + " not written: " + platform::FileSafetyError(error));
    return error;
}
