#pragma once
// CPropPageFolderProps: the "General" page of a folder's property sheet.  The name is the
// folder's only editable property; the page also shows the folder's type, its parent, how
// many folders and checks lie below it and its identifier.  "Show Dependencies..." is
// shown only when some check depends on the folder, and opens the dependencies dialog.
#include "manager/checks/PropSheetPosition.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

class CSnCfg;
class CSnNode;
class CUiSeam;

class CPropPageFolderProps final : public CPropSheetPosition::Page {
public:
    // Edits `folder` (a working copy, or a new node not in the tree yet) and shows the
    // facts of the tree's folder of the same identifier below `root`.
    CPropPageFolderProps(CSnNode& folder, CSnCfg& store, CSnNode* root, CUiSeam& seam,
                         const CSnNode* newParent = nullptr);

    sheetrules::Refusal Check() const override;
    void Confirm() override;

    QLineEdit& Name() { return m_name; }
    QLabel& Parent() { return m_parent; }
    QLabel& Contains() { return m_contains; }
    QLabel& Id() { return m_id; }
    QPushButton& ShowDependencies() { return m_dependencies; }

private:
    CSnNode& m_folder;
    CSnCfg& m_store;
    CSnNode* m_root;
    CUiSeam& m_seam;
    QLineEdit m_name;
    QLabel m_parent;
    QLabel m_contains;
    QLabel m_id;
    QPushButton m_dependencies{"Show &Dependencies..."};
};
