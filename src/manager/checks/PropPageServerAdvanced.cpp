#include "manager/checks/PropPageServerAdvanced.h"

#include "manager/app/UiSeam.h"
#include "manager/checks/DialogInverse.h"
#include "manager/checks/DialogUncertain.h"
#include "manager/checks/PropSheetServer.h"
#include "manager/checks/SheetText.h"
#include "model/tree/SnNode.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>

using sheettext::C;
using sheettext::Q;

namespace {

// One "only once" / "every N minutes" pair in its group.
QGroupBox* RepeatGroup(const char* title, QRadioButton& once, QRadioButton& every, QLineEdit& minutes,
                       const CSnNodeCfgActionRe& value, QObject* owner) {
    auto* group = new QGroupBox(title);
    auto* rows = new QGridLayout(group);
    auto* choice = new QButtonGroup(owner);
    choice->addButton(&once);
    choice->addButton(&every);
    rows->addWidget(&once, 0, 0, 1, 3);
    rows->addWidget(&every, 1, 0);
    rows->addWidget(&minutes, 1, 1);
    rows->addWidget(new QLabel("minutes"), 1, 2);
    rows->setColumnStretch(3, 1);
    minutes.setMaximumWidth(70);
    minutes.setValidator(new QIntValidator(0, 999999, &minutes));
    (value.Repeat != 0 ? every : once).setChecked(true);
    minutes.setText(Q(sheetrules::PositiveText(value.Minutes)));
    return group;
}

} // namespace

CPropPageServerAdvanced::CPropPageServerAdvanced(CPropSheetServer& sheet) : CPropPage(sheet) {
    setObjectName("advancedPage");
    const CSnNodeCfg& cfg = sheet.Node().Cfg;
    m_inverse = cfg.Inverse;
    m_uncertain = cfg.Action.Uncertain;
    auto* grid = new QGridLayout(this);
    grid->addWidget(RepeatGroup("Notifications", m_notifyOnce, m_notifyEvery, m_notifyMinutes, cfg.Action.ReNotify,
                                this),
                    0, 0);
    grid->addWidget(RepeatGroup("Actions", m_triggerOnce, m_triggerEvery, m_triggerMinutes, cfg.Action.ReRun, this),
                    0, 1);
    m_graph.setChecked(cfg.GraphEnabled != 0);

    auto* result = new QGroupBox("Result");
    auto* resultRows = new QVBoxLayout(result);
    resultRows->addWidget(&m_graph);
    resultRows->addWidget(&m_inverseButton);
    resultRows->addWidget(&m_uncertainButton);
    grid->addWidget(result, 1, 0);

    auto* more = new QGroupBox("Maintenance and dependencies");
    auto* moreRows = new QVBoxLayout(more);
    moreRows->addWidget(&m_maintenance);
    moreRows->addWidget(&m_dependencies);
    moreRows->addStretch(1);
    grid->addWidget(more, 1, 1);

    auto* idRow = new QHBoxLayout;
    idRow->addStretch(1);
    idRow->addWidget(new QLabel("Check ID:"));
    m_id.setObjectName("checkId");
    m_id.setText(QString::asprintf("%d ", static_cast<int>(cfg.ID)));
    idRow->addWidget(&m_id);
    grid->addLayout(idRow, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);

    const CCheckDialogRegistry& dialogs = sheet.Context().dialogs;
    m_maintenance.setEnabled(static_cast<bool>(dialogs.maintenance));
    m_dependencies.setEnabled(static_cast<bool>(dialogs.dependencies));
    for (QRadioButton* b : {&m_notifyOnce, &m_notifyEvery, &m_triggerOnce, &m_triggerEvery})
        connect(b, &QRadioButton::toggled, this, [this] { UpdateEnabling(); });
    connect(&m_inverseButton, &QPushButton::clicked, this, [this] {
        CDialogInverse dialog(m_inverse != 0, this);
        if (m_sheet.Context().seam.ExecDialog(dialog) == CUiSeam::kAccepted)
            m_inverse = dialog.Box().isChecked() ? 1 : 0;
    });
    connect(&m_uncertainButton, &QPushButton::clicked, this, [this] {
        CDialogUncertain dialog(m_uncertain, this);
        if (m_sheet.Context().seam.ExecDialog(dialog) == CUiSeam::kAccepted)
            m_uncertain = dialog.Value();
    });
    connect(&m_maintenance, &QPushButton::clicked, this, [this] {
        m_sheet.Context().dialogs.maintenance(this, m_sheet.Work(), m_sheet.DialogContext());
    });
    connect(&m_dependencies, &QPushButton::clicked, this, [this] {
        m_sheet.Context().dialogs.dependencies(this, m_sheet.Work(), m_sheet.DialogContext());
    });
    UpdateEnabling();
}

void CPropPageServerAdvanced::OnActivate() { UpdateEnabling(); }

void CPropPageServerAdvanced::UpdateEnabling() {
    // Repeating only makes sense for a check that runs on an interval.
    const bool interval = m_sheet.Mode() == sheetrules::kModeInterval;
    m_notifyMinutes.setEnabled(interval && m_notifyEvery.isChecked());
    m_triggerMinutes.setEnabled(interval && m_triggerEvery.isChecked());
}

sheetrules::Refusal CPropPageServerAdvanced::Check() const {
    return sheetrules::CheckAdvanced({m_notifyEvery.isChecked(), C(m_notifyMinutes.text()), m_triggerEvery.isChecked(),
                                      C(m_triggerMinutes.text())});
}

void CPropPageServerAdvanced::Confirm() {
    CSnNodeCfg& cfg = m_sheet.Node().Cfg;
    cfg.Action.ReNotify.Repeat = m_notifyEvery.isChecked() ? 1 : 0;
    cfg.Action.ReNotify.Minutes = sheetrules::NumberOf(C(m_notifyMinutes.text()));
    cfg.Action.ReRun.Repeat = m_triggerEvery.isChecked() ? 1 : 0;
    cfg.Action.ReRun.Minutes = sheetrules::NumberOf(C(m_triggerMinutes.text()));
    cfg.GraphEnabled = m_graph.isChecked() ? 1 : 0;
    cfg.Inverse = m_inverse;
    cfg.Action.Uncertain = m_uncertain;
    cfg.Action.Maintenance.Assign(*m_sheet.Work().Cfg.Action.Maintenance);
    cfg.Action.Dependencies = m_sheet.Work().Cfg.Action.Dependencies;
}
