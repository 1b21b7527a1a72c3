#include "manager/checks/PropPageFolderProps.h"

#include "manager/app/UiSeam.h"
#include "manager/checks/DialogDependencies.h"
#include "manager/checks/SheetText.h"
#include "model/console/FolderCommandRules.h"
#include "model/tree/SnDependencyView.h"
#include "model/tree/SnNode.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

using sheettext::C;
using sheettext::Q;

CPropPageFolderProps::CPropPageFolderProps(CSnNode& folder, CSnCfg& store, CSnNode* root, CUiSeam& seam,
                                           const CSnNode* newParent)
    : m_folder(folder), m_store(store), m_root(root), m_seam(seam) {
    setObjectName("folderPropertiesPage");
    m_name.setObjectName("folderName");
    m_name.setText(Q(folder.Cfg.Name));
    const foldercmd::FolderFacts facts = foldercmd::DescribeFolder(root, folder.Id(), newParent);
    m_parent.setText(Q(facts.Parent));
    m_contains.setText(Q(facts.Contains));
    m_id.setText(Q(facts.Id));
    auto* form = new QFormLayout;
    form->addRow("&Name:", &m_name);
    form->addRow("Type:", new QLabel("Folder"));
    form->addRow("Parent:", &m_parent);
    form->addRow("Contains:", &m_contains);
    form->addRow("ID:", &m_id);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(&m_dependencies);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addLayout(buttonRow);
    m_dependencies.setObjectName("showDependencies");
    // Only a check can depend on a folder; the button is offered once one does.
    const CSnDependencyView view(store, root);
    m_dependencies.setVisible(!view.DependedOnBy(folder.Id()).empty());
    connect(&m_dependencies, &QPushButton::clicked, this, [this] {
        CDialogDependencies dialog(m_store, m_root, m_folder, nullptr, this);
        m_seam.ExecDialog(dialog);
    });
}

sheetrules::Refusal CPropPageFolderProps::Check() const { return foldercmd::CheckFolderName(C(m_name.text())); }

void CPropPageFolderProps::Confirm() { m_folder.Cfg.Name = C(m_name.text()); }
