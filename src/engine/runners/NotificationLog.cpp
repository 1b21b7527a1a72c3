#include "NotificationLog.h"

#include "library/QvcPath.h"
#include "platform/System.h"
#include "platform/UniqueFd.h"

#include <cstdio>

void AppendNotificationLog(const std::string& stored, const CQvcString& engineRoot,
                           const std::vector<std::string>& lines) {
    if (stored.empty() || engineRoot.IsEmpty() || lines.empty())
        return;
    const CQvcString path = EngineRootPath(CQvcString(stored), engineRoot);
    // A request may name any path: the engine writes only below its own root.
    if (!PathIsInside(path, engineRoot))
        return;
    const platform::LocalTime now = platform::GetLocalTime();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[%04d-%02d-%02d %02d:%02d:%02d] ", now.year, now.month, now.day, now.hour,
                  now.minute, now.second);
    std::string text;
    for (const std::string& line : lines)
        text += stamp + line + "\n";
    platform::UniqueFd file(
        platform::OpenRetrying(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    if (file)
        platform::WriteAll(file.Get(), text.data(), text.size());
}
