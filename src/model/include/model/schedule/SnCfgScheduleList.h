#pragma once
// CSnCfgScheduleList: the text of a list of schedule entries ("e..." or "d..." entries
// joined by "|"), as a check's scan schedule or maintenance windows store it.
#include "library/QvcLazy.h"
#include "library/QvcString.h"
#include "model/schedule/SnCfgSchedule.h"

#include <vector>

class CSnCfgScheduleList {
public:
    // The most entries a list uses.
    static constexpr int kMaxEntries = 24;

    CSnCfgScheduleList() = default;
    explicit CSnCfgScheduleList(const CQvcString& text) { m_text.Assign(text); }
    virtual ~CSnCfgScheduleList() = default;

    const CQvcString& Text() const { return m_text.Get(); }
    void SetText(const CQvcString& text) { m_text.Assign(text); }
    void Clear() { m_text.Reset(); }
    bool operator==(const CSnCfgScheduleList& other) const { return m_text == other.m_text; }

    // Entry `index` (0-based); never fails (see CSnCfgSchedule::Parse).
    CSnCfgSchedule Entry(int index) const;
    // The entries as a list in a dialog shows them: 0, 1, 2, ... until an entry whose time
    // is 0 (which ends the list and is not included) or kMaxEntries entries.
    std::vector<CSnCfgSchedule> Entries() const;
    // Number of "|"-separated pieces of the text, empty ones included; 0 for "".
    int PieceCount() const;

    // The first start strictly after `after` of the entries that Entries() lists; -1 when
    // none of them starts again.
    std::int64_t NextStart(std::int64_t after) const;
    // True when one of the entries that Entries() lists covers `when` (see
    // CSnCfgSchedule::Covers); `windowEnd` receives the latest end of those windows.
    bool Covers(std::int64_t when, std::int64_t* windowEnd = nullptr) const;

    // Adds "|" (unless the text is empty) and the entry's text.  Refused (false) when the
    // text already holds kMaxEntries pieces.
    bool Append(const CSnCfgSchedule& entry);
    // Clear, then Append every entry in order; false when some were left out by the limit.
    bool Assign(const std::vector<CSnCfgSchedule>& entries);

private:
    // Most checks have no schedule: an empty text takes one pointer.
    CQvcLazy<CQvcString> m_text;
};
