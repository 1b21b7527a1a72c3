#include "model/console/SnActivityTracker.h"

#include "platform/System.h"

#include <cerrno>
#include <cstdlib>

namespace {

// The time field as a number; anything that is not wholly a decimal number reads as 0,
// which the caller skips like a time below 1.
std::int64_t ParseTime(const CQvcString& field) {
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(field.c_str(), &end, 10);
    if (errno != 0 || end == field.c_str() || *end != '\0')
        return 0;
    return value;
}

} // namespace

CSnActivityTracker::CSnActivityTracker(SettingsLoader loader, SecondsSource seconds)
    : m_loader(std::move(loader)), m_seconds(std::move(seconds)) {
    if (!m_seconds)
        m_seconds = [] { return platform::SecondsSince1970(); };
}

void CSnActivityTracker::ReloadSettingsWhenDue() {
    const std::int64_t now = m_seconds();
    if (m_settingsLoaded && now - m_settingsLoadedAt < kSettingsReloadSecs)
        return;
    if (m_loader)
        m_loader(m_settings);
    m_settingsLoaded = true;
    m_settingsLoadedAt = now;
}

void CSnActivityTracker::Restart() {
    m_settingsLoaded = false;
    m_newestKey.Empty();
    m_lastRestart = 0;
    m_rows.clear();
}

CSnActivityTracker::Update CSnActivityTracker::Refresh(const CQvcSectionString& log) {
    ReloadSettingsWhenDue();

    Update update;
    CQvcString lastKey;
    for (std::string_view entry : log.Entries()) {
        const CQvcString line(entry);
        const CQvcString key = line.Token("||", 0);
        const CQvcString timeField = line.Token("||", 1);
        const CQvcString text = line.Token("||", 2);
        // Malformed lines, and the "EXISTS=1" entry that reading an empty section seeds,
        // have an empty field.
        if (key.IsEmpty() || timeField.IsEmpty() || text.IsEmpty())
            continue;
        const std::int64_t time = ParseTime(timeField);
        if (time < 1)
            continue;
        if (key == kRestartKey && time != m_lastRestart) {
            // The engine started a new log: its keys begin again, so everything after
            // the mark is new.
            m_newestKey.Empty();
            m_lastRestart = time;
        }
        if (m_newestKey < key)
            update.added.push_back(m_settings.FormatDateTime(static_cast<std::time_t>(time)) + " - " + text);
        lastKey = key;
    }
    // Only a well-formed line may become the newest key: a seeded "EXISTS=1" would
    // otherwise sort above every real key and hide the log.
    if (!lastKey.IsEmpty())
        m_newestKey = lastKey;

    // Rows beyond the limit would be inserted only to be deleted again.
    if (update.added.size() > kMaxRows)
        update.added.erase(update.added.begin(),
                           update.added.end() - static_cast<std::ptrdiff_t>(kMaxRows));
    for (const CQvcString& row : update.added)
        m_rows.push_front(row);
    while (m_rows.size() > kMaxRows) {
        m_rows.pop_back();
        ++update.removed;
    }
    return update;
}
