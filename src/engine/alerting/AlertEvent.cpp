#include "engine/alerting/AlertEvent.h"

#include "library/QvcString.h"

#include <ctime>

namespace {
std::string LocalTimeText(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    localtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}
}  // namespace

std::map<std::string, std::string> AlertFields(const AlertEvent& event) {
    return {
        {"Name", event.Name},
        {"Host", event.Host},
        {"Type", event.TypeName},
        {"Status", event.StatusName},
        {"Data", event.Data},
        {"Response", event.Response},
        {"Time", LocalTimeText(event.Time)},
        {"Folder", event.FolderPath},
        {"ID", std::to_string(event.CheckId)},
        {"Direction", event.Direction == AlertDirection::Failure ? "Failure" : "Recovery"},
    };
}

std::string ExpandAlertText(const std::string& text, const AlertEvent& event, bool lineBreaks) {
    CQvcString out(text);
    for (const auto& [name, value] : AlertFields(event)) out.FillPlaceholder(name, value);
    if (lineBreaks) out.Replace("||", "\r\n");
    return std::string(out.c_str());
}
