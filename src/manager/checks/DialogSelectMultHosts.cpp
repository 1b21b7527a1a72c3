#include "manager/checks/DialogSelectMultHosts.h"

#include "manager/app/GuiPostSink.h"
#include "manager/app/UiSeam.h"
#include "manager/checks/SheetText.h"
#include "model/checks/TargetSelection.h"
#include "model/store/SnCfg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

using sheettext::C;
using sheettext::Q;

namespace {

constexpr const char* kStart = "&Start";
constexpr const char* kStop = "S&top";
constexpr const char* kCopy = "<< &Copy";
constexpr const char* kFileFilter = "CSV File (*.csv)";
constexpr const char* kPingNotPermitted =
    "This computer does not let the Manager send ping (ICMP echo) requests, so a ping scan would find no "
    "host.\n\nScan the range by TCP port instead?";
// The columns that keep a discovered host's name and full name.
constexpr int kNameColumn = 0;
constexpr int kFullNameColumn = 1;

QTreeWidget* ResultList(QWidget* parent, const QStringList& columns, const char* name) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setHeaderLabels(columns);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->setMinimumHeight(150);
    return list;
}

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

CDialogSelectMultHosts::CDialogSelectMultHosts(QWidget* parent, CUiSeam& seam, CSnCfg* cfg, const QString& hosts,
                                               const HostCheckLimits& limits)
    : QDialog(parent), m_seam(seam), m_cfg(cfg), m_limits(limits) {
    setWindowTitle("Select Computer / IP Address");
    m_targets.Parse(C(hosts));
    if (m_cfg != nullptr)
        m_roles.Load(RolesFilePath(m_cfg->RootDirectory()), true);
    m_sink = new CGuiPostSink([this](const QvcMessage& message) { OnMessage(message); }, this);

    // The target list on the left, the sources on the right.
    auto* targets = new QGroupBox("Target Computers / Devices", this);
    auto* targetColumn = new QVBoxLayout(targets);
    m_note = new QLabel(TargetListNote(!m_limits.Creating), targets);
    m_note->setObjectName("note");
    m_note->setWordWrap(true);
    m_targetList = new QListWidget(targets);
    m_targetList->setObjectName("targets");
    m_targetList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* remove = Button("&Remove Selected Target(s)", "removeTargets", targets);
    auto* save = Button("Save to &File...", "saveTargets", targets);
    auto* load = Button("&Load from File...", "loadTargets", targets);
    targetColumn->addWidget(m_note);
    targetColumn->addWidget(m_targetList, 1);
    targetColumn->addWidget(remove);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(save);
    fileRow->addWidget(load);
    targetColumn->addLayout(fileRow);

    auto* sources = new QTabWidget(this);
    sources->setObjectName("sources");
    sources->addTab(BuildDirectoryPage(), "Workstations and Servers in a Windows Domain");
    sources->addTab(BuildIPRangePage(), "IP Range");
    sources->addTab(BuildManualPage(), "Host (Add Manually)");
    sources->setCurrentIndex(1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* columns = new QHBoxLayout;
    columns->addWidget(targets, 1);
    columns->addWidget(sources, 2);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(columns, 1);
    outer->addWidget(buttons);

    connect(remove, &QPushButton::clicked, this, &CDialogSelectMultHosts::RemoveSelectedTargets);
    connect(save, &QPushButton::clicked, this, &CDialogSelectMultHosts::SaveToFile);
    connect(load, &QPushButton::clicked, this, &CDialogSelectMultHosts::LoadFromFile);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDialogSelectMultHosts::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ShowTargets();
    resize(980, 500);
}

CDialogSelectMultHosts::~CDialogSelectMultHosts() { StopScans(); }

QWidget* CDialogSelectMultHosts::BuildDirectoryPage() {
    const TargetSelectionSettings settings = TargetSelectionSettings::Read();
    auto* page = new QWidget(this);
    auto* form = new QFormLayout;
    m_domain = new QLineEdit(page);
    m_domain->setObjectName("domain");
    m_domain->setPlaceholderText("localhost");
    m_useFqdn = new QCheckBox("Use &FQDN", page);
    m_useFqdn->setChecked(settings.UseFqdn);
    m_role = new QComboBox(page);
    m_role->setObjectName("role");
    for (const CQvcString& choice : RoleChoices(m_roles))
        m_role->addItem(Q(choice));
    m_customServices = new QLineEdit(page);
    m_customServices->setObjectName("customServices");
    m_customServices->setPlaceholderText("services or ports, e.g. http, 5432");
    m_customServices->setEnabled(false);
    m_dirStart = Button(kStart, "directoryStart", page);
    form->addRow("Domain or &workgroup:", m_domain);
    form->addRow(QString(), m_useFqdn);
    form->addRow("R&ole:", m_role);
    form->addRow("Ser&vices:", m_customServices);
    m_dirResults = ResultList(page, {"Computer Name", "Computer Full Qualified Domain Name"}, "directoryResults");
    auto* copy = Button(kCopy, "directoryCopy", page);
    auto* row = new QHBoxLayout;
    row->addWidget(copy);
    row->addStretch(1);
    row->addWidget(m_dirStart);
    auto* column = new QVBoxLayout(page);
    column->addLayout(form);
    column->addWidget(m_dirResults, 1);
    column->addLayout(row);
    connect(m_role, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { m_customServices->setEnabled(text == kCustomRole); });
    connect(m_dirStart, &QPushButton::clicked, this, &CDialogSelectMultHosts::StartStopDirectory);
    connect(copy, &QPushButton::clicked, this, &CDialogSelectMultHosts::CopyDirectoryResults);
    return page;
}

QWidget* CDialogSelectMultHosts::BuildIPRangePage() {
    const TargetSelectionSettings settings = TargetSelectionSettings::Read();
    auto* page = new QWidget(this);
    auto* form = new QFormLayout;
    m_ipFrom = new QLineEdit(Q(settings.IPFrom), page);
    m_ipFrom->setObjectName("ipFrom");
    m_ipTo = new QLineEdit(Q(settings.IPTo), page);
    m_ipTo->setObjectName("ipTo");
    m_port = new QLineEdit(page);
    m_port->setObjectName("port");
    m_port->setMaximumWidth(80);
    m_scanMode = new QComboBox(page);
    m_scanMode->setObjectName("scanMode");
    m_scanMode->addItems({kScanPing, kScanPort, kScanListNow});
    m_useHostname = new QCheckBox("Use &Hostname", page);
    m_useHostname->setChecked(settings.UseHostname);
    m_ipStart = Button(kStart, "ipStart", page);
    m_progress = new QProgressBar(page);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    form->addRow("&From:", m_ipFrom);
    form->addRow("&To:", m_ipTo);
    form->addRow("&Port:", m_port);
    form->addRow("Scan &mode:", m_scanMode);
    form->addRow(QString(), m_useHostname);
    m_ipResults = ResultList(page, {"IP Address", "Hostname", "Port", "Duration"}, "ipResults");
    auto* copy = Button(kCopy, "ipCopy", page);
    auto* row = new QHBoxLayout;
    row->addWidget(copy);
    row->addWidget(m_progress, 1);
    row->addWidget(m_ipStart);
    auto* column = new QVBoxLayout(page);
    column->addLayout(form);
    column->addWidget(m_ipResults, 1);
    column->addLayout(row);
    connect(m_ipStart, &QPushButton::clicked, this, &CDialogSelectMultHosts::StartStopIPRange);
    connect(copy, &QPushButton::clicked, this, &CDialogSelectMultHosts::CopyIPResults);
    return page;
}

QWidget* CDialogSelectMultHosts::BuildManualPage() {
    auto* page = new QWidget(this);
    m_manualHost = new QLineEdit(page);
    m_manualHost->setObjectName("manualHost");
    auto* copy = Button(kCopy, "manualCopy", page);
    auto* row = new QHBoxLayout;
    row->addWidget(copy);
    row->addWidget(m_manualHost, 1);
    auto* column = new QVBoxLayout(page);
    column->addWidget(new QLabel("Computer name, FQDN or IP address:", page));
    column->addLayout(row);
    column->addStretch(1);
    connect(copy, &QPushButton::clicked, this, &CDialogSelectMultHosts::CopyManualHost);
    return page;
}

QString CDialogSelectMultHosts::TargetText() const { return Q(m_targets.ToText()); }

// --- the sources ------------------------------------------------------------------------

void CDialogSelectMultHosts::StartStopDirectory() {
    if (m_dirScan != nullptr) {
        m_dirScan->Stop(0);
        m_dirStart->setEnabled(false);
        return;
    }
    TargetSelectionSettings settings = TargetSelectionSettings::Read();
    settings.UseFqdn = m_useFqdn->isChecked();
    settings.WriteDirectory();
    const CWinRoleDef role = RoleFilter(C(m_role->currentText()), m_roles, C(m_customServices->text()));
    m_dirResults->clear();
    m_dirScan = std::make_unique<CThreadDiscoverWin>();
    if (m_dirScan->Start(m_sink, C(m_domain->text().trimmed()), role, 0) < 0) {
        m_dirScan.reset();
        Passes(DialogRefusal::Numbered(61555));
        return;
    }
    m_dirStart->setText(kStop);
}

void CDialogSelectMultHosts::StartStopIPRange() {
    if (m_ipScan != nullptr) {
        m_ipScan->Stop(0);
        m_ipStart->setEnabled(false);
        return;
    }
    const IPRangeStart start =
        StartIPRange(C(m_ipFrom->text()), C(m_ipTo->text()), C(m_port->text()), C(m_scanMode->currentText()));
    if (!Passes(start.Refusal, start.Refusal.Field == IPRangeStart::kFrom ? m_ipFrom
                               : start.Refusal.Field == IPRangeStart::kTo ? m_ipTo
                                                                          : m_port))
        return;
    if (start.Scan && start.Port == 0 && !CThreadDiscoverIP::PingPermitted()) {
        if (m_seam.Message(kPingNotPermitted, CUiSeam::Icon::Question, CUiSeam::Buttons::YesNo) == CUiSeam::kYes) {
            m_scanMode->setCurrentText(kScanPort);
            StartStopIPRange();
        }
        return;
    }
    TargetSelectionSettings settings = TargetSelectionSettings::Read();
    settings.IPFrom = C(m_ipFrom->text().trimmed());
    settings.IPTo = C(m_ipTo->text().trimmed());
    settings.UseHostname = m_useHostname->isChecked();
    settings.WriteIPRange();
    m_ipResults->clear();
    m_ipOrder.clear();
    for (std::size_t i = 0; i < start.Addresses.size(); ++i)
        m_ipOrder.emplace(start.Addresses[i].Str(), i);
    if (!start.Scan) {
        std::vector<CDiscoveredHost> listed;
        for (const CQvcString& address : start.Addresses)
            listed.push_back({address, {}, start.Port, -1});
        AddResults(*m_ipResults, listed);
        return;
    }
    m_ipScan = std::make_unique<CThreadDiscoverIP>();
    if (m_ipScan->Start(m_sink, start.Addresses, start.Port, settings.UseHostname, 0) < 0) {
        m_ipScan.reset();
        Passes(DialogRefusal::Numbered(61555));
        return;
    }
    m_progress->setRange(0, static_cast<int>(start.Addresses.size()));
    m_progress->setValue(0);
    m_ipStart->setText(kStop);
}

void CDialogSelectMultHosts::OnMessage(const QvcMessage& message) {
    switch (message.message) {
    case kMsgDiscoverProgress:
        m_progress->setRange(0, static_cast<int>(message.lparam));
        m_progress->setValue(static_cast<int>(message.wparam));
        break;
    case kMsgDiscoverHost:
        if (m_ipScan != nullptr)
            AddResults(*m_ipResults, m_ipScan->TakeHosts());
        break;
    case kMsgDiscoverIPEnded:
        IPScanEnded();
        break;
    case kMsgDirectoryFailed:
        if (m_dirScan != nullptr)
            m_seam.Message(m_dirScan->ErrorText(), CUiSeam::Icon::Error);
        break;
    case kMsgDirectoryHost:
        if (m_dirScan != nullptr)
            AddResults(*m_dirResults, m_dirScan->TakeHosts());
        break;
    case kMsgDirectoryEnded:
        DirectoryEnded();
        break;
    default:
        break;
    }
}

void CDialogSelectMultHosts::AddResults(QTreeWidget& list, const std::vector<CDiscoveredHost>& hosts) {
    for (const CDiscoveredHost& host : hosts) {
        QStringList cells{Q(host.Name), Q(host.FullName)};
        if (&list == m_ipResults)
            cells << (host.Port > 0 ? QString::number(host.Port) : QString())
                  << (host.ResponseMs >= 0 ? QString("%1 ms").arg(host.ResponseMs) : QString());
        // Scanned addresses come in the order the workers answer; they are shown in the
        // order of the range.
        int at = list.topLevelItemCount();
        if (&list == m_ipResults) {
            const auto rank = [this](const QString& address) {
                const auto it = m_ipOrder.find(address.toStdString());
                return it == m_ipOrder.end() ? m_ipOrder.size() : it->second;
            };
            const std::size_t own = rank(cells.front());
            while (at > 0 && rank(list.topLevelItem(at - 1)->text(kNameColumn)) > own)
                --at;
        }
        list.insertTopLevelItem(at, new QTreeWidgetItem(cells));
    }
}

void CDialogSelectMultHosts::IPScanEnded() {
    if (m_ipScan == nullptr)
        return;
    AddResults(*m_ipResults, m_ipScan->TakeHosts());
    m_ipScan->Stop(0);
    m_ipScan.reset();
    m_progress->setValue(m_progress->maximum());
    m_ipStart->setText(kStart);
    m_ipStart->setEnabled(true);
}

void CDialogSelectMultHosts::DirectoryEnded() {
    if (m_dirScan == nullptr)
        return;
    AddResults(*m_dirResults, m_dirScan->TakeHosts());
    m_dirScan->Stop(0);
    m_dirScan.reset();
    m_dirStart->setText(kStart);
    m_dirStart->setEnabled(true);
}

void CDialogSelectMultHosts::StopScans() {
    if (m_ipScan != nullptr)
        m_ipScan->Stop(0);
    if (m_dirScan != nullptr)
        m_dirScan->Stop(0);
    m_sink->Close();
}

// --- the target list --------------------------------------------------------------------

void CDialogSelectMultHosts::CopyDirectoryResults() { Copy(*m_dirResults, m_useFqdn->isChecked()); }

void CDialogSelectMultHosts::CopyIPResults() { Copy(*m_ipResults, m_useHostname->isChecked()); }

void CDialogSelectMultHosts::Copy(QTreeWidget& list, bool fullNames) {
    CServerList entries;
    const bool all = list.selectedItems().isEmpty();
    for (int row = 0; row < list.topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = list.topLevelItem(row);
        if (!all && !item->isSelected())
            continue;
        const CDiscoveredHost host{C(item->text(kNameColumn)), C(item->text(kFullNameColumn)), 0, -1};
        entries.Append(DiscoveredTarget(host, fullNames),
                       &list == m_ipResults ? item->text(2).toInt() : 0);
    }
    Take(entries, false);
}

void CDialogSelectMultHosts::CopyManualHost() {
    CServerList entries;
    entries.Parse(C(m_manualHost->text()));
    Take(entries, false);
}

void CDialogSelectMultHosts::Take(const CServerList& entries, bool replace) {
    if (Passes(TakeTargets(m_targets, entries, !m_limits.Creating, replace)))
        ShowTargets();
}

void CDialogSelectMultHosts::RemoveSelectedTargets() {
    CServerList kept;
    for (int row = 0; row < m_targetList->count(); ++row)
        if (!m_targetList->item(row)->isSelected())
            kept.Append(m_targets[static_cast<std::size_t>(row)]);
    m_targets = kept;
    ShowTargets();
}

void CDialogSelectMultHosts::ShowTargets() {
    m_targetList->clear();
    for (const CServerListItem& item : m_targets)
        m_targetList->addItem(Q(item.Host()));
}

void CDialogSelectMultHosts::SaveToFile() {
    QFileDialog dialog(this, "Save Target Computer List", Q(TargetListFolder()), kFileFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix("csv");
    if (m_seam.ExecDialog(dialog) != CUiSeam::kAccepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().front();
    if (const int code = m_targets.SaveToFile(C(path)))
        Passes(DialogRefusal::Numbered(static_cast<unsigned>(code), C(path)));
    else
        WriteTargetListFolder(C(QFileInfo(path).absolutePath()));
}

void CDialogSelectMultHosts::LoadFromFile() {
    QFileDialog dialog(this, "Load Target Computer List", Q(TargetListFolder()), kFileFilter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (m_seam.ExecDialog(dialog) != CUiSeam::kAccepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().front();
    CServerList loaded;
    if (const int code = loaded.LoadFromFile(C(path))) {
        Passes(DialogRefusal::Numbered(static_cast<unsigned>(code), C(path)));
        return;
    }
    WriteTargetListFolder(C(QFileInfo(path).absolutePath()));
    Take(loaded, true);
}

// --- closing ----------------------------------------------------------------------------

bool CDialogSelectMultHosts::Passes(const DialogRefusal& refusal, QWidget* field) {
    if (!refusal.Refused())
        return true;
    m_seam.Message(refusal.Text, TargetMessageIsError(refusal.Id) ? CUiSeam::Icon::Error : CUiSeam::Icon::Warning);
    if (field != nullptr)
        field->setFocus();
    return false;
}

void CDialogSelectMultHosts::accept() {
    if (Passes(CheckHostField(m_targets.ToText(), m_limits), m_targetList))
        QDialog::accept();
}

void CDialogSelectMultHosts::done(int result) {
    StopScans();
    QDialog::done(result);
}
