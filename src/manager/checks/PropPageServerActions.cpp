#include "manager/checks/PropPageServerActions.h"

#include "manager/app/UiSeam.h"
#include "manager/checks/PropSheetServer.h"
#include "manager/checks/SheetText.h"
#include "manager/checks/types/DialogServerCredentials.h"
#include "model/tree/SnNode.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

using sheettext::C;
using sheettext::Q;

namespace {

constexpr const char* kProgramCaptions[] = {"Run executable or batchjob", "Run a Visual Basic Script"};

} // namespace

CPropPageServerActions::CPropPageServerActions(CPropSheetServer& sheet) : CPropPage(sheet) {
    setObjectName("actionsPage");
    const CSnNodeCfgAction& action = sheet.Node().Cfg.Action;
    const CSnNodeCfgActionRunProgram* runs[] = {&*action.RunOnFailure, &*action.RunOnSuccess};
    auto* grid = new QGridLayout(this);
    for (int side = 0; side < 2; ++side) {
        auto* group = new QGroupBox(side == 0 ? "When the check fails" : "When the check succeeds or recovers");
        auto* rows = new QGridLayout(group);
        for (int k = 0; k < 2; ++k) {
            const int entry = 2 * side + k;
            const auto e = static_cast<std::size_t>(entry);
            m_programBoxes[e] = new QCheckBox(kProgramCaptions[k]);
            m_programBoxes[e]->setChecked((k == 0 ? runs[side]->RunExecutable : runs[side]->RunScript) != 0);
            m_programs[e] = new QLineEdit(Q(k == 0 ? runs[side]->Executable : runs[side]->Script));
            m_browse[e] = new QPushButton("...");
            m_browse[e]->setMaximumWidth(m_browse[e]->fontMetrics().horizontalAdvance("....") + 16);
            rows->addWidget(m_programBoxes[e], 2 * k, 0, 1, 2);
            rows->addWidget(m_programs[e], 2 * k + 1, 0);
            rows->addWidget(m_browse[e], 2 * k + 1, 1);
            connect(m_programBoxes[e], &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
            connect(m_browse[e], &QPushButton::clicked, this, [this, entry] { Browse(entry); });
        }
        grid->addWidget(group, side, 0);
    }

    auto* restart = new QGroupBox("Restart");
    auto* rows = new QGridLayout(restart);
    auto* choice = new QButtonGroup(this);
    choice->addButton(&m_none);
    choice->addButton(&m_reboot);
    choice->addButton(&m_restart);
    rows->addWidget(&m_none, 0, 0, 1, 2);
    rows->addWidget(&m_reboot, 1, 0, 1, 2);
    rows->addWidget(&m_restart, 2, 0, 1, 2);
    auto* computerLabel = new QLabel("Co&mputer:");
    computerLabel->setBuddy(&m_computer);
    auto* servicesLabel = new QLabel("The following ser&vice(s) must be restarted:");
    servicesLabel->setBuddy(&m_services);
    rows->addWidget(computerLabel, 3, 0);
    rows->addWidget(&m_computer, 3, 1);
    rows->addWidget(&m_credentials, 3, 2);
    rows->addWidget(servicesLabel, 4, 0, 1, 3);
    rows->addWidget(&m_services, 5, 0, 1, 3);
    rows->setColumnStretch(1, 1);
    grid->addWidget(restart, 2, 0);
    grid->setRowStretch(3, 1);
    // The account that restarts the computer or its services is kept in the server
    // credentials list, under the computer's name.
    connect(&m_credentials, &QPushButton::clicked, this, [this] {
        CDialogServerCredentials editor(m_sheet.Context().seam, m_sheet.Context().cfg, m_computer.text().trimmed(),
                                        this);
        m_sheet.Context().seam.ExecDialog(editor);
    });

    const CSnNodeCfgActionRestart& r = *action.Restart;
    (r.RestartServices ? m_restart : r.Reboot ? m_reboot : m_none).setChecked(true);
    m_computer.setText(Q(r.Computer));
    m_services.setText(Q(r.Services));
    connect(choice, &QButtonGroup::buttonClicked, this, [this] { UpdateEnabling(); });
    UpdateEnabling();
}

int CPropPageServerActions::RestartChoice() const {
    return m_restart.isChecked() ? 2 : m_reboot.isChecked() ? 1 : 0;
}

void CPropPageServerActions::UpdateEnabling() {
    for (std::size_t e = 0; e < 4; ++e) {
        m_programs[e]->setEnabled(m_programBoxes[e]->isChecked());
        m_browse[e]->setEnabled(m_programBoxes[e]->isChecked());
    }
    m_computer.setEnabled(RestartChoice() != 0);
    m_credentials.setEnabled(RestartChoice() != 0 && m_sheet.Context().cfg != nullptr);
    m_services.setEnabled(RestartChoice() == 2);
}

void CPropPageServerActions::Browse(int entry) {
    QFileDialog dialog(this, "Choose a program", m_programs[static_cast<std::size_t>(entry)]->text());
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (m_sheet.Context().seam.ExecDialog(dialog) == CUiSeam::kAccepted && !dialog.selectedFiles().isEmpty())
        m_programs[static_cast<std::size_t>(entry)]->setText(dialog.selectedFiles().front());
}

sheetrules::Refusal CPropPageServerActions::Check() const {
    sheetrules::ActionFields f;
    for (std::size_t e = 0; e < 4; ++e) {
        f.ProgramEnabled[e] = m_programBoxes[e]->isChecked();
        f.Program[e] = C(m_programs[e]->text());
    }
    f.Restart = RestartChoice();
    f.Computer = C(m_computer.text());
    f.Services = C(m_services.text());
    return sheetrules::CheckActions(f);
}

void CPropPageServerActions::Confirm() {
    CSnNodeCfgAction& action = m_sheet.Node().Cfg.Action;
    CQvcLazy<CSnNodeCfgActionRunProgram>* runs[] = {&action.RunOnFailure, &action.RunOnSuccess};
    for (int side = 0; side < 2; ++side) {
        CSnNodeCfgActionRunProgram run = **runs[side];
        run.RunExecutable = m_programBoxes[static_cast<std::size_t>(2 * side)]->isChecked() ? 1 : 0;
        run.Executable = C(m_programs[static_cast<std::size_t>(2 * side)]->text());
        run.RunScript = m_programBoxes[static_cast<std::size_t>(2 * side + 1)]->isChecked() ? 1 : 0;
        run.Script = C(m_programs[static_cast<std::size_t>(2 * side + 1)]->text());
        runs[side]->Assign(run);
    }
    CSnNodeCfgActionRestart restart = *action.Restart;
    restart.Reboot = RestartChoice() == 1 ? 1 : 0;
    restart.RestartServices = RestartChoice() == 2 ? 1 : 0;
    restart.Computer = sheetrules::WithoutUncPrefix(C(m_computer.text()));
    restart.Services = C(m_services.text());
    action.Restart.Assign(restart);
}
