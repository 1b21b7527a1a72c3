#pragma once
// CPropSheetPosition: a modal property sheet that places itself centred on its parent and
// then 100 pixels left and up.  Its pages check their fields when OK is pressed (the
// first refusal is shown and keeps the sheet open) and then write them into the node
// they edit; the sheet never touches the store.
#include "model/checks/CheckSheetRules.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QTabWidget>

#include <vector>

class CUiSeam;

class CPropSheetPosition final : public QDialog {
    Q_OBJECT
public:
    class Page : public QWidget {
    public:
        // The first refusal of the page's fields, or none.
        virtual sheetrules::Refusal Check() const { return {}; }
        // Writes the page's fields into the node it edits.
        virtual void Confirm() = 0;
    };

    CPropSheetPosition(const QString& title, CUiSeam& seam, QWidget* parent = nullptr);

    // The sheet takes the page (Qt parent ownership).
    void AddPage(Page* page, const QString& label);
    // Runs the sheet through the UI seam; CUiSeam::kAccepted only when it was confirmed.
    int Run();
    void accept() override;

    QTabWidget& Tabs() { return m_tabs; }

private:
    CUiSeam& m_seam;
    std::vector<Page*> m_pages;
    bool m_confirmed = false;
    QTabWidget m_tabs;
    QDialogButtonBox m_buttons;
};
