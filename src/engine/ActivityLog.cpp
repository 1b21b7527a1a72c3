#include "engine/ActivityLog.h"

#include "engine/ResultLine.h"
#include "platform/Profile.h"

#include <cinttypes>
#include <cstdio>

namespace {

constexpr const char* kSection = "ActLog";

} // namespace

CActivityLog::CActivityLog(CQvcString path, std::size_t maxLines)
    : m_path(std::move(path)), m_maxLines(maxLines < 2 ? 2 : maxLines) {}

void CActivityLog::Append(std::uint32_t key, std::int64_t when, std::string_view text) {
    char head[48];
    std::snprintf(head, sizeof head, "%08" PRIX32 "||%" PRId64 "||", key, when);
    // The text is the last field: it must stay on its line and must not add fields.
    m_lines.push_back(std::string(head) + ResultLine::FieldText(text).Str());
    m_dirty = true;
}

void CActivityLog::Restart(std::int64_t when, std::string_view text) {
    m_lines.clear();
    m_nextKey = 1;
    Append(0, when, text);
}

void CActivityLog::Add(std::int64_t when, std::string_view text) {
    if (m_lines.empty())
        Restart(when, "Activity log started");
    // After 2^32 - 1 lines the keys would wrap and stop growing: start a new log instead.
    if (m_nextKey == 0)
        Restart(when, "Activity log restarted");
    Append(m_nextKey++, when, text);
    while (m_lines.size() > m_maxLines)
        m_lines.erase(m_lines.begin() + 1); // the restart line stays first
}

bool CActivityLog::Flush() {
    if (!m_dirty)
        return true;
    std::string section;
    for (const std::string& line : m_lines) {
        section += line;
        section.push_back('\0');
    }
    section.push_back('\0');
    if (!platform::ProfileWriteSection(m_path.c_str(), kSection, section.data()))
        return false;
    m_dirty = false;
    return true;
}
