#pragma once
// CPropPage: one page of the check property sheet.  The sheet asks the page to check its
// fields when the user leaves it or presses OK, and to write them into the node when the
// whole sheet is confirmed.
#include "model/checks/CheckSheetRules.h"

#include <QWidget>

class CPropSheetServer;

class CPropPage : public QWidget {
    Q_OBJECT
public:
    explicit CPropPage(CPropSheetServer& sheet) : m_sheet(sheet) {}

    // The page became the shown page (it may depend on the scan mode).
    virtual void OnActivate() {}
    // The first refusal of the page's fields, or none.
    virtual sheetrules::Refusal Check() const { return {}; }
    // Writes the page's fields into the sheet's node.
    virtual void Confirm() = 0;

protected:
    CPropSheetServer& m_sheet;
};
