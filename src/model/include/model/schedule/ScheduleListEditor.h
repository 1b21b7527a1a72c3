#pragma once
// CScheduleListEditor: the rows of a schedule dialog and the rules that change them,
// without windows.  The same rows serve three lists: the scan schedules of a check, the
// maintenance windows of one check and the global maintenance windows; they differ only
// in which entries Add refuses and what OK asks for.  The dialog gathers the typed entry,
// shows the refusals these functions return and turns the rows back into a list text on
// OK.
#include "model/checks/CheckSheetRules.h"
#include "model/schedule/SnCfgScheduleList.h"

#include <vector>

class CScheduleListEditor {
public:
    enum class Use { Scan, CheckMaintenance, GlobalMaintenance };

    // What Add did: appended the entry, left out a duplicate silently (the global list
    // only), or refused it with `Message`.
    struct AddResult {
        bool Added = false;
        sheetrules::Refusal Message;
    };

    // The rows of `list` as a dialog loads them (see CSnCfgScheduleList::Entries).
    CScheduleListEditor(Use use, const CSnCfgScheduleList& list);

    const std::vector<CSnCfgSchedule>& Rows() const { return m_rows; }

    // In this order: a full list (51635 with the limit, error icon), no hours in the
    // global list (50358), a weekday entry without a day (51636); then a duplicate of a
    // global row is left out, anything else appended as the last row.
    AddResult Add(const CSnCfgSchedule& entry);
    // Deletes row `row`; an index out of range does nothing.
    void Remove(int row);

    // Whether OK first asks 51696 to add the entry still typed in the dialog: a day box
    // is set, or (maintenance lists) a date is chosen.
    bool HasPendingEntry(const CSnCfgSchedule& typed) const;
    // What keeps OK from closing the dialog: scan schedules need one row (61695).
    sheetrules::Refusal CheckOk() const;
    // The rows as a list text, in row order.
    CSnCfgScheduleList List() const;

private:
    Use m_use;
    std::vector<CSnCfgSchedule> m_rows;
};
