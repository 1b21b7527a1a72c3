#include "manager/checks/PropPageServerProps.h"

#include "library/Messages.h"
#include "manager/app/DialogOkChecked.h"
#include "manager/app/UiSeam.h"
#include "manager/checks/PropSheetServer.h"
#include "manager/checks/SheetText.h"
#include "model/checks/CheckTypes.h"
#include "model/checks/DefScanFreqList.h"
#include "model/checks/HostList.h"
#include "model/console/ManagerPreferences.h"
#include "model/store/SnCfg.h"
#include "model/tree/SnNode.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>

#include <algorithm>

using namespace sheetrules;

using sheettext::C;
using sheettext::Q;

namespace {

constexpr unsigned kPlaceholderRequired = 61552;
constexpr const char* kEventLogTitle = "Event Log";
// The notice before an Event Log check is set up ("MsgEventLog" and
// "MsgEventLogTimeInterval").
constexpr const char* kMsgEventLog =
    "An Event Log check reads the entries that the monitored computer logged since the check last ran.";
constexpr const char* kMsgEventLogTimeInterval =
    "Entries are matched within the time interval of the check: keep the check's interval equal to the "
    "time interval set in the Event Log check, or entries are reported twice or missed.";

} // namespace

CPropPageServerProps::CPropPageServerProps(CPropSheetServer& sheet) : CPropPage(sheet) {
    setObjectName("generalPage");
    const CSnNode& node = sheet.Node();

    m_name.setObjectName("displayName");
    m_name.setText(Q(node.Cfg.Name));
    m_notes.setObjectName("notes");
    m_notes.setPlainText(Q(node.Cfg.Notes));
    m_notesShown = m_notes.toPlainText();
    m_notes.setTabChangesFocus(true);
    m_notes.setFixedHeight(m_name.sizeHint().height() * 3);
    for (const char* unit : kUnits)
        m_unit.addItem(unit);
    m_interval.setValidator(new QIntValidator(0, 99999999, &m_interval));
    m_threshold.setValidator(new QIntValidator(0, 999, &m_threshold));
    m_interval.setMaximumWidth(90);
    m_threshold.setMaximumWidth(60);
    ShowInterval(node.Cfg.ScanFrequency.Interval);
    m_threshold.setText(Q(PositiveText(node.Cfg.ScanFrequency.ErrorThreshold)));

    // A type given in advance waits for its dialog; any other node counts as set up.
    const std::int32_t type = node.Cfg.Function.Type;
    std::int32_t shownType = type;
    if (type == kTypeNone && sheet.Context().presetType != 0) {
        shownType = sheet.Context().presetType;
        m_configured = false;
    } else if (type == kTypeNone) {
        m_configured = false;
    }
    m_chooser.SelectText(shownType != kTypeNone ? CQvcString(CheckTypeName(shownType)) : CQvcString(kSelectText));
    m_lastTypeText = m_configured ? m_chooser.Text() : CQvcString(kSelectText);
    sheet.UpdateTitle(m_name.text(), type != kTypeNone);

    auto* grid = new QGridLayout(this);
    auto* nameLabel = new QLabel("&Display Name:");
    nameLabel->setBuddy(&m_name);
    auto* notesLabel = new QLabel("&Notes (optional):");
    notesLabel->setBuddy(&m_notes);
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(&m_name, 0, 1);
    grid->addWidget(notesLabel, 1, 0, Qt::AlignTop);
    grid->addWidget(&m_notes, 1, 1);

    auto* what = new QGroupBox("Check What");
    auto* whatRow = new QHBoxLayout(what);
    whatRow->addWidget(&m_chooser, 1);
    whatRow->addWidget(&m_setup);
    grid->addWidget(what, 2, 0, 1, 2);

    auto* when = new QGroupBox("Check When");
    auto* whenGrid = new QGridLayout(when);
    whenGrid->addWidget(&m_every, 0, 0);
    whenGrid->addWidget(&m_interval, 0, 1);
    whenGrid->addWidget(&m_unit, 0, 2);
    whenGrid->addWidget(&m_scheduled, 1, 0);
    whenGrid->addWidget(&m_schedule, 1, 1, 1, 2);
    whenGrid->addWidget(&m_trap, 2, 0, 1, 3);
    m_failsLabel.setBuddy(&m_threshold);
    whenGrid->addWidget(&m_failsLabel, 3, 0);
    whenGrid->addWidget(&m_threshold, 3, 1);
    whenGrid->addWidget(&m_rowLabel, 3, 2);
    whenGrid->setColumnStretch(3, 1);
    grid->addWidget(when, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);

    const int mode = node.Cfg.ScanFrequency.Mode;
    (mode == kModeScheduled ? m_scheduled : mode == kModeTrap ? m_trap : m_every).setChecked(true);
    sheet.SetMode(mode == kModeScheduled || mode == kModeTrap ? mode : kModeInterval);

    connect(&m_chooser, &QComboBox::activated, this, [this] { OnTypeChosen(); });
    connect(&m_setup, &QPushButton::clicked, this, [this] { OnTypeChosen(); });
    connect(&m_every, &QRadioButton::clicked, this, [this] { OnModeButton(kModeInterval); });
    connect(&m_scheduled, &QRadioButton::clicked, this, [this] { OnModeButton(kModeScheduled); });
    connect(&m_trap, &QRadioButton::clicked, this, [this] { OnModeButton(kModeTrap); });
    connect(&m_schedule, &QPushButton::clicked, this, [this] { RunScheduleDialog(); });
    m_nameShown = m_name.text();
    connect(&m_name, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (KeepPlaceholder(text))
            m_sheet.UpdateTitle(text, m_sheet.Node().Cfg.Function.Type != kTypeNone);
    });
    UpdateEnabling();
}

bool CPropPageServerProps::KeepPlaceholder(const QString& text) {
    const QString before = m_nameShown;
    if (m_sheet.DialogContext().manyHosts && RemovesHostsPlaceholder(C(before), C(text))) {
        // Setting the text again comes back here with the placeholder in place.
        m_name.setText(before);
        m_sheet.Context().seam.Message(CQvcString().FormatGrow(MessageText(kPlaceholderRequired), kHostsPlaceholder),
                                       CUiSeam::Icon::Error);
        return false;
    }
    m_nameShown = text;
    return true;
}

void CPropPageServerProps::ShowInterval(std::int32_t seconds) {
    const IntervalShown shown = sheetrules::ShowInterval(seconds);
    m_interval.setText(Q(shown.Number));
    m_unit.setCurrentText(Q(shown.Unit));
}

void CPropPageServerProps::OpenPendingTypeDialog() {
    if (!m_configured && !CFolderComboBox::IsNoType(m_chooser.Text()))
        OnTypeChosen();
}

void CPropPageServerProps::OnTypeChosen() {
    const CQvcString text = m_chooser.Text();
    if (CFolderComboBox::IsNoType(text)) {
        if (text.StartsWith("["))
            m_chooser.setCurrentIndex(0);
        m_configured = false;
        m_lastTypeText = kSelectText;
        UpdateEnabling();
        return;
    }
    const std::int32_t type = CheckTypeFromName(text);
    CSnNode& w = m_sheet.Work();
    if (type == kTypeEventLog)
        CDialogOkChecked::Run(m_sheet.Context().seam, this, kEventLogTitle,
                              QString(kMsgEventLog) + "\n\n" + kMsgEventLogTimeInterval, "MsgEventLog");
    const std::int32_t before = w.Cfg.Function.Type;
    const CCheckDialogRegistry& dialogs = m_sheet.Context().dialogs;
    const CCheckDialogRegistry::TypeDialog* dialog = dialogs.FindType(type);
    if (dialog != nullptr) {
        CheckDialogContext ctx = m_sheet.DialogContext();
        ctx.scriptMode = std::max(0, VBScriptModeFromName(text));
        if ((*dialog)(this, w, type, ctx) != CUiSeam::kAccepted) {
            m_chooser.SelectText(m_lastTypeText);
            return;
        }
    } else if (before != type) {
        // No dialog for the type yet: the check takes the type with its defaults, and
        // keeps its host.
        const CQvcString host = w.Cfg.Function.ParamServer;
        w.Cfg.Function = CSnNodeCfgFunction();
        w.Cfg.Function.Type = type;
        CheckTypeDefaults(&w.Cfg.Function);
        w.Cfg.Function.ParamServer = host;
    }
    if (m_name.text().trimmed().isEmpty())
        m_name.setText(Q(CheckDescription(w, CQvcString(), m_sheet.DialogContext().manyHosts)));
    if (w.Cfg.Function.Type != before) {
        long interval = CDefScanFreqList::kDefaultInterval;
        long threshold = CDefScanFreqList::kDefaultThreshold;
        if (CSnCfg* cfg = m_sheet.Context().cfg)
            cfg->DefaultScanFrequency(w.Cfg.Function.Type, interval, threshold);
        ShowInterval(static_cast<std::int32_t>(interval));
        m_threshold.setText(Q(PositiveText(static_cast<std::int32_t>(threshold))));
    }
    m_configured = true;
    // A dialog may pick the type itself (the server roles' "Check What"): show the one W took.
    if (w.Cfg.Function.Type != type)
        m_chooser.SelectText(CheckTypeName(w.Cfg.Function.Type));
    m_lastTypeText = m_chooser.Text();
    if (w.Cfg.Function.Type == kTypeSnmpTrapReceive) {
        m_sheet.SetMode(kModeTrap);
        m_trap.setChecked(true);
    } else if (m_sheet.Mode() == kModeTrap) {
        m_sheet.SetMode(kModeInterval);
        m_every.setChecked(true);
    }
    UpdateEnabling();
}

void CPropPageServerProps::OnModeButton(int mode) {
    const bool bothSet = NumberOf(C(m_interval.text())) > 0 && NumberOf(C(m_threshold.text())) > 0;
    if (mode != kModeInterval && !bothSet) {
        m_interval.clear();
        m_threshold.clear();
    }
    m_sheet.SetMode(mode);
    if (mode == kModeScheduled && m_sheet.Work().Cfg.ScanFrequency.Schedule.Text().IsEmpty())
        RunScheduleDialog();
    UpdateEnabling();
}

bool CPropPageServerProps::RunScheduleDialog() {
    const CCheckDialogRegistry& dialogs = m_sheet.Context().dialogs;
    if (!dialogs.schedules)
        return false;
    return dialogs.schedules(this, m_sheet.Work(), m_sheet.DialogContext());
}

void CPropPageServerProps::UpdateEnabling() {
    const CSnNode& w = m_sheet.Work();
    const int mode = m_sheet.Mode();
    const GeneralEnabling e = GeneralEnablingFor(mode, m_configured, w.Cfg.Function.Type, w.Cfg.Function.ParamByteCodes);
    m_every.setEnabled(e.Every);
    m_scheduled.setEnabled(e.Schedule);
    m_trap.setEnabled(e.Trap);
    m_trap.setVisible(e.Trap);
    m_threshold.setEnabled(e.Threshold);
    m_failsLabel.setEnabled(e.RowLabel);
    m_rowLabel.setEnabled(e.RowLabel);
    m_interval.setEnabled(mode == kModeInterval && m_configured);
    m_unit.setEnabled(mode == kModeInterval && m_configured);
    m_schedule.setEnabled(mode == kModeScheduled && m_configured && m_sheet.Context().dialogs.schedules);
    const CCheckDialogRegistry& dialogs = m_sheet.Context().dialogs;
    const std::int32_t chosen = CheckTypeFromName(m_chooser.Text());
    m_setup.setEnabled(chosen != kTypeNone && dialogs.FindType(chosen) != nullptr);
}

Refusal CPropPageServerProps::Check() const {
    GeneralFields f;
    f.TypeText = m_chooser.Text();
    f.DisplayName = C(m_name.text());
    f.Mode = m_sheet.Mode();
    f.Interval = C(m_interval.text());
    f.Unit = C(m_unit.currentText());
    f.Threshold = C(m_threshold.text());
    f.HasSchedule = !m_sheet.Work().Cfg.ScanFrequency.Schedule.Text().IsEmpty();
    f.MinIntervalSecs = prefs::MinIntervalSecs();
    return CheckGeneral(f);
}

void CPropPageServerProps::Confirm() {
    const std::int32_t type = CheckTypeFromName(m_chooser.Text());
    if (type == kTypeNone)
        return;
    CSnNode& n = m_sheet.Node();
    const CSnNode& w = m_sheet.Work();
    n.Cfg.Function = w.Cfg.Function;
    n.Cfg.Function.Type = type;
    n.Cfg.Function.ParamServer = WithoutUncPrefix(w.Cfg.Function.ParamServer);
    n.Cfg.Name = C(m_name.text());
    // Notes as the edit shows them may differ in their line breaks: kept unless edited.
    if (m_notes.toPlainText() != m_notesShown)
        n.Cfg.Notes = C(m_notes.toPlainText());
    n.Cfg.ScanFrequency.Mode = m_sheet.Mode();
    n.Cfg.ScanFrequency.Interval = IntervalSeconds(C(m_interval.text()), C(m_unit.currentText()));
    n.Cfg.ScanFrequency.ErrorThreshold = NumberOf(C(m_threshold.text()));
    n.Cfg.ScanFrequency.Schedule = w.Cfg.ScanFrequency.Schedule;
    if (CServerList* hosts = m_sheet.Context().hosts) {
        hosts->Parse(n.Cfg.Function.ParamServer);
        if (hosts->IsEmpty())
            hosts->Append(".");
    }
}
