#pragma once
// CSnActivityTracker: what the activity view shows of the engine's activity log, without
// the view.  Each line of the log section is "key||time||text": the key is a fixed-width
// text that grows with every line (compared byte by byte), the time is seconds since
// 1970, and the key "00000000" marks a restart of the log.  A refresh finds the lines
// newer than the newest one shown, formats them with the configuration's date and time
// settings (reloaded at most every 30 seconds), and keeps the newest 200 rows, newest
// first.  The view mirrors Rows(): it inserts the added rows at the top and drops rows
// from the bottom as the refresh reports.
#include "library/QvcSectionString.h"
#include "library/QvcString.h"
#include "model/settings/SnDateTimeSettings.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

class CSnActivityTracker {
public:
    static constexpr std::size_t kMaxRows = 200;
    static constexpr std::int64_t kSettingsReloadSecs = 30;
    static constexpr const char* kRestartKey = "00000000";

    // Loads the date and time settings (from the store in the Manager); a failed load
    // leaves them as they are.
    using SettingsLoader = std::function<void(CSnDateTimeSettings&)>;
    using SecondsSource = std::function<std::int64_t()>;

    // A null clock takes the system's.
    explicit CSnActivityTracker(SettingsLoader loader, SecondsSource seconds = {});

    struct Update {
        // Rows to insert at the top of the view, each above the ones before it: the last
        // is the newest.  Only rows that stay within the limit are listed.
        std::vector<CQvcString> added;
        // Rows to delete from the bottom afterwards.
        std::size_t removed = 0;
    };

    // One refresh from the lines of the log section.
    Update Refresh(const CQvcSectionString& log);

    // Forgets the rows and the newest key and reloads the settings at the next refresh,
    // which then lists the whole log again, as on the first refresh.
    void Restart();

    // The rows shown, newest first.
    const std::deque<CQvcString>& Rows() const { return m_rows; }
    const CQvcString& NewestKey() const { return m_newestKey; }
    const CSnDateTimeSettings& DateTimeSettings() const { return m_settings; }

private:
    void ReloadSettingsWhenDue();

    SettingsLoader m_loader;
    SecondsSource m_seconds;
    CSnDateTimeSettings m_settings;
    bool m_settingsLoaded = false;
    std::int64_t m_settingsLoadedAt = 0;
    CQvcString m_newestKey;
    std::int64_t m_lastRestart = 0;
    std::deque<CQvcString> m_rows;
};
