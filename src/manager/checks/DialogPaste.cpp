#include "manager/checks/DialogPaste.h"

#include "manager/app/UiSeam.h"
#include "model/console/ManagerPreferences.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* Note(const char* text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

QDialogButtonBox* OkCancel(QDialog* dialog, const char* okText = nullptr) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    if (okText != nullptr)
        buttons->button(QDialogButtonBox::Ok)->setText(okText);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

// --- Paste Check(s) -------------------------------------------------------------------------

CDialogPasteServer::CDialogPasteServer(CUiSeam& ui, const QString& existingHosts, QWidget* parent)
    : QDialog(parent), m_ui(ui) {
    setObjectName("pasteServerDialog");
    setWindowTitle("Paste Check(s)");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Note("Paste Check(s) to create new checks based on the copied (template) checks."));
    layout->addWidget(Note("Sentrelle will now create new check(s) based on the copied check(s). You have the "
                           "ability to change the IP/Host first."));
    layout->addWidget(Note("Do you want to change the IP (or hostname) for the new check(s)?"));
    layout->addWidget(&m_unchanged);
    layout->addWidget(&m_change);
    auto* hosts = new QFormLayout;
    m_existing.setReadOnly(true);
    m_existing.setText(existingHosts);
    hosts->addRow("&Existing IP/Host(s):", &m_existing);
    hosts->addRow("Ne&w IP/Host:", &m_newHost);
    layout->addLayout(hosts);
    layout->addWidget(&m_hold);
    layout->addWidget(OkCancel(this));

    (prefs::PasteUnchanged() != 0 ? m_unchanged : m_change).setChecked(true);
    m_hold.setChecked(prefs::PasteHold() != 0);
    connect(&m_change, &QRadioButton::toggled, this, [this] { UpdateHostFields(); });
    UpdateHostFields();
}

void CDialogPasteServer::UpdateHostFields() {
    m_existing.setEnabled(m_change.isChecked());
    m_newHost.setEnabled(m_change.isChecked());
}

CQvcString CDialogPasteServer::Host() const { return CQvcString(m_newHost.text().trimmed().toStdString()); }

void CDialogPasteServer::accept() {
    if (m_change.isChecked() && Host().IsEmpty()) {
        m_ui.Message("Invalid New IP/Host.", CUiSeam::Icon::Warning);
        m_newHost.setFocus();
        return;
    }
    prefs::WritePasteUnchanged(m_unchanged.isChecked() ? 1 : 0);
    prefs::WritePasteHold(m_hold.isChecked() ? 1 : 0);
    QDialog::accept();
}

// --- Paste Properties -----------------------------------------------------------------------

CDialogPasteSpecial::CDialogPasteSpecial(bool folderMode, QWidget* parent) : QDialog(parent) {
    setObjectName("pasteSpecialDialog");
    setWindowTitle("Paste Properties");
    static const char* const kTexts[kBoxCount] = {
        "Apply Check &Frequency Settings (scan interval, error treshold, schedules)",
        "Apply &Notification Settings",
        "&E-mail Notification Settings",
        "Network N&otification Settings",
        "&SMS Notification Settings",
        "&Pager Notification Settings",
        "&Live Messenger Notification Settings",
        "SN&MP Trap Notification Settings",
        "Apply &Action Settings",
        "Restart Servi&ce / Reboot Computer Settings",
        "&Run Executable Settings",
        "R&un VBScript Settings",
        "Apply Ad&vanced Settings",
        "Graph &Properties",
        "Action Frequenc&y",
        "Notification Fre&quency",
        "Server Ma&intenance",
        "Result &Mapping",
    };
    m_groups = {{kNotifications, kEmail, kTrap}, {kActions, kRestart, kScript}, {kAdvanced, kGraph, kResultMapping}};
    auto* layout = new QVBoxLayout(this);
    for (int box = 0; box < kBoxCount; ++box) {
        auto* check = new QCheckBox(kTexts[box], this);
        check->setChecked(true);
        m_boxes.push_back(check);
    }
    layout->addWidget(m_boxes[kFrequency]);
    for (const Group& group : m_groups) {
        layout->addWidget(m_boxes[group.box]);
        for (int sub = group.first; sub <= group.last; ++sub) {
            layout->addWidget(m_boxes[sub]);
            m_boxes[sub]->setContentsMargins(20, 0, 0, 0);
            connect(m_boxes[sub], &QCheckBox::toggled, this, [this, group] { SubToggled(group); });
        }
        connect(m_boxes[group.box], &QCheckBox::toggled, this, [this, group] { GroupToggled(group); });
    }
    auto* applyTo = new QLabel("Apply settings to:");
    layout->addWidget(applyTo);
    layout->addWidget(&m_withSubfolders);
    layout->addWidget(&m_folderOnly);
    m_withSubfolders.setChecked(true);
    for (QWidget* w : std::initializer_list<QWidget*>{applyTo, &m_withSubfolders, &m_folderOnly})
        w->setVisible(folderMode);
    layout->addWidget(OkCancel(this, "Apply Settings"));
}

void CDialogPasteSpecial::GroupToggled(const Group& group) {
    const bool on = m_boxes[group.box]->isChecked();
    for (int sub = group.first; sub <= group.last; ++sub)
        m_boxes[sub]->setEnabled(on);
}

void CDialogPasteSpecial::SubToggled(const Group& group) {
    bool any = false;
    for (int sub = group.first; sub <= group.last; ++sub)
        any = any || m_boxes[sub]->isChecked();
    m_boxes[group.box]->setChecked(any);
}

bool CDialogPasteSpecial::Counts(Box box) const {
    if (!m_boxes[box]->isChecked())
        return false;
    for (const Group& group : m_groups)
        if (box >= group.first && box <= group.last)
            return m_boxes[group.box]->isChecked();
    return true;
}

paste::Groups CDialogPasteSpecial::Chosen() const {
    paste::Groups g;
    g.Frequency = Counts(kFrequency);
    g.Notify[kChannelEmail] = Counts(kEmail);
    g.Notify[kChannelNetPopup] = Counts(kNetwork);
    g.Notify[kChannelSms] = Counts(kSms);
    g.Notify[kChannelPager] = Counts(kPager);
    g.Notify[kChannelMessenger] = Counts(kMessenger);
    g.Notify[kChannelSnmpTrap] = Counts(kTrap);
    g.Restart = Counts(kRestart);
    g.RunProgram = Counts(kExecutable);
    g.RunScript = Counts(kScript);
    g.Graph = Counts(kGraph);
    g.ActionFrequency = Counts(kActionFrequency);
    g.NotificationFrequency = Counts(kNotificationFrequency);
    g.Maintenance = Counts(kMaintenance);
    g.ResultMapping = Counts(kResultMapping);
    return g;
}
