#include "manager/wizards/QuickConfigWizard.h"

#include "manager/app/CommandRegistry.h"
#include "manager/app/QMonApp.h"
#include "manager/mainframe/MainFrame.h"
#include "manager/notify/DialogTestBase.h"
#include "manager/service/ServiceCommands.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/checks/ServerList.h"
#include "model/checks/SnCheckCreator.h"
#include "model/console/CommandIds.h"
#include "model/link/SnIPC.h"
#include "model/notify/SnSmtpSettings.h"
#include "model/tree/SnNode.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kProbeTimeoutMs = 1500;
constexpr double kMemoryLimitPercent = 90;

QCheckBox* Box(QWidget* page, QLayout* layout, const char* text, const char* name) {
    auto* box = new QCheckBox(text, page);
    box->setObjectName(name);
    box->setChecked(true);
    layout->addWidget(box);
    return box;
}

std::string Found(const std::map<std::string, std::vector<int>>& open) {
    std::string text;
    for (const auto& [host, ports] : open) {
        if (ports.empty())
            continue;
        text += (text.empty() ? "" : "; ") + host + ":";
        for (const int port : ports)
            for (const quicksetup::Service& s : quicksetup::ProbedServices())
                if (s.Port == port)
                    text += std::string(" ") + s.Name;
    }
    return text.empty() ? "No common services were found open." : "Services found open: " + text + ".";
}

void RunWizard(CQMonApp& app) {
    if (app.Store() == nullptr || !app.Loaded())
        return;
    CQuickConfigWizard wizard(app, app.Frame());
    if (app.Ui().ExecDialog(wizard) != CUiSeam::kAccepted || !app.ServiceStopped())
        return;
    if (app.Ui().Message("The checks have been created. Do you want to start the Engine now?",
                         CUiSeam::Icon::Question, CUiSeam::Buttons::YesNo) == CUiSeam::kYes)
        OpenServiceDialog(app, true);
}

} // namespace

void RegisterQuickConfigCommands(CQMonApp& app, CCommandRegistry& commands) {
    commands.Add(cmd::kQuickConfiguration, [&app](int) { RunWizard(app); });
}

CQuickConfigWizard::CQuickConfigWizard(CQMonApp& app, QWidget* parent) : QWizard(parent), m_app(app) {
    setWindowTitle("Quick Configuration Wizard");
    setWizardStyle(QWizard::ClassicStyle);
    addPage(new CQuickPageMachines(*this));
    addPage(new CQuickPageChecks(*this));
    addPage(new CQuickPageNotify(*this));
}

bool CQuickConfigWizard::Create(const QString& recipient, const QString& server) {
    CSnCfg& store = *m_app.Store();
    CSnCheckCreator creator(store);
    for (const quicksetup::Group& group : quicksetup::Plan(m_answers)) {
        CSnNode* check = nullptr;
        if (const long code = creator.NewCheck(check)) {
            m_app.ShowErrorCode(code);
            return false;
        }
        creator.SetType(*check, group.Type);
        if (group.Port != 0) {
            TcpSettings tcp = TcpSettings::Read(check->Cfg.Function);
            tcp.Port = group.Port;
            tcp.Write(check->Cfg.Function);
        }
        if (group.Type == kTypeMemoryUsage) {
            MemorySettings memory = MemorySettings::Read(check->Cfg.Function);
            memory.Limit = kMemoryLimitPercent;
            memory.Write(check->Cfg.Function);
        }
        check->Cfg.Name = CQvcString(group.Name);
        if (!recipient.isEmpty()) {
            // E-mail on failure and on recovery.
            for (const int entry : {2 * kChannelEmail, 2 * kChannelEmail + 1}) {
                CSnNodeCfgActionNotification& notify = check->Cfg.Action.Notify.Edit(entry);
                notify.Enabled = 1;
                notify.Recipients = CQvcString(recipient.toStdString());
            }
        }
        CServerList hosts;
        for (const std::string& host : group.Hosts)
            hosts.Append(CQvcString(host));
        const CSnCheckCreator::Result result = creator.Create(m_app.Root(), m_app.Root(), check, hosts);
        if (!result.Ok()) {
            store.FreeNode(check);
            m_app.Ui().Message(result.Message, CUiSeam::Icon::Error);
            m_app.ReloadAndRebuild();
            return false;
        }
        if (result.ReloadTree)
            m_app.ReloadAndRebuild();
        if (CSnIPC* link = store.Link())
            for (const CSnNode* node : result.Created)
                link->MonitorNow(node);
    }
    if (!server.isEmpty()) {
        CSnSmtpSettings smtp;
        long code = smtp.Read(store);
        smtp.Server1 = CQvcString(server.toStdString());
        if (smtp.SenderAddress1.IsEmpty())
            smtp.SenderAddress1 = CQvcString(recipient.toStdString());
        if (code == 0)
            code = smtp.Write(store);
        if (code != 0) {
            m_app.ShowErrorCode(code);
            return false;
        }
    }
    m_app.ReloadAndRebuild();
    return true;
}

// --- the machines -----------------------------------------------------------------------------

CQuickPageMachines::CQuickPageMachines(CQuickConfigWizard& wizard) : QWizardPage(&wizard), m_wizard(wizard) {
    setTitle("Which computers do you want to watch?");
    auto* layout = new QVBoxLayout(this);
    m_thisComputer = Box(this, layout, "This &computer", "thisComputer");
    layout->addWidget(new QLabel("&Other computers, names or addresses separated by commas:", this));
    m_hosts = new QLineEdit(this);
    m_hosts->setObjectName("hosts");
    layout->addWidget(m_hosts);
    layout->addStretch();
}

bool CQuickPageMachines::validatePage() {
    quicksetup::Answers& answers = m_wizard.Answers();
    answers.ThisComputer = m_thisComputer->isChecked();
    CServerList list;
    list.Parse(CQvcString(m_hosts->text().toStdString()));
    answers.Hosts.clear();
    for (const CServerListItem& item : list)
        answers.Hosts.push_back(item.Host().Str());
    if (quicksetup::Machines(answers).empty()) {
        m_wizard.App().Ui().Message("Choose at least one computer to watch.", CUiSeam::Icon::Warning);
        return false;
    }
    return true;
}

// --- the checks ---------------------------------------------------------------------------------

CQuickPageChecks::CQuickPageChecks(CQuickConfigWizard& wizard) : QWizardPage(&wizard), m_wizard(wizard) {
    setTitle("Which checks do you want to create?");
    auto* layout = new QVBoxLayout(this);
    m_ping = Box(this, layout, "&Ping each computer", "ping");
    m_services = Box(this, layout, "The common &TCP services found open on them", "services");
    m_found = new QLabel(this);
    m_found->setObjectName("found");
    m_found->setWordWrap(true);
    m_found->setIndent(20);
    layout->addWidget(m_found);
    m_diskMemory = Box(this, layout, "&Disk space and memory of this computer", "diskMemory");
    layout->addStretch();
}

CQuickPageChecks::~CQuickPageChecks() = default; // the worker is joined before the page goes

void CQuickPageChecks::initializePage() {
    m_diskMemory->setEnabled(m_wizard.Answers().ThisComputer);
    m_diskMemory->setChecked(m_wizard.Answers().ThisComputer);
    if (m_worker.joinable())
        m_worker.join();
    m_probing = true;
    m_found->setText("Looking for open services...");
    emit completeChanged();
    std::vector<int> ports;
    for (const quicksetup::Service& s : quicksetup::ProbedServices())
        ports.push_back(s.Port);
    const std::vector<std::string> machines = quicksetup::Machines(m_wizard.Answers());
    // The page outlives the worker (its destructor joins it); a queued answer that arrives
    // after the page is gone is dropped with it.
    CQuickPageChecks* page = this;
    m_worker = std::jthread([page, machines, ports](std::stop_token stop) {
        std::map<std::string, std::vector<int>> open;
        for (const std::string& host : machines) {
            if (stop.stop_requested())
                return;
            open[host] = quicksetup::OpenPorts(host, ports, kProbeTimeoutMs);
        }
        QMetaObject::invokeMethod(page, [page, open] { page->Probed(open); }, Qt::QueuedConnection);
    });
}

void CQuickPageChecks::Probed(const std::map<std::string, std::vector<int>>& open) {
    m_wizard.Answers().OpenPorts = open;
    m_found->setText(QString::fromStdString(Found(open)));
    m_probing = false;
    emit completeChanged();
}

bool CQuickPageChecks::isComplete() const { return !m_probing; }

bool CQuickPageChecks::validatePage() {
    quicksetup::Answers& answers = m_wizard.Answers();
    answers.Ping = m_ping->isChecked();
    answers.Services = m_services->isChecked();
    answers.DiskAndMemory = m_diskMemory->isChecked();
    if (quicksetup::Plan(answers).empty()) {
        m_wizard.App().Ui().Message("Choose at least one check to create.", CUiSeam::Icon::Warning);
        return false;
    }
    return true;
}

// --- notification -------------------------------------------------------------------------------

CQuickPageNotify::CQuickPageNotify(CQuickConfigWizard& wizard) : QWizardPage(&wizard), m_wizard(wizard) {
    setTitle("Who is told when a check fails?");
    setFinalPage(true);
    auto* form = new QFormLayout(this);
    m_recipient = new QLineEdit(this);
    m_recipient->setObjectName("recipient");
    m_server = new QLineEdit(this);
    m_server->setObjectName("server");
    m_test = new QPushButton("&Test...", this);
    m_test->setObjectName("test");
    m_test->setEnabled(false);
    form->addRow("&E-mail recipient:", m_recipient);
    form->addRow("&SMTP server:", m_server);
    form->addRow("", m_test);
    form->addRow(new QLabel("Leave both empty to be told nothing for now.", this));
    const auto enable = [this] { m_test->setEnabled(!m_recipient->text().trimmed().isEmpty() &&
                                                    !m_server->text().trimmed().isEmpty()); };
    connect(m_recipient, &QLineEdit::textChanged, this, enable);
    connect(m_server, &QLineEdit::textChanged, this, enable);
    connect(m_test, &QPushButton::clicked, this, [this] { Test(); });
}

void CQuickPageNotify::Test() {
    CSnSmtpSettings smtp;
    smtp.Read(*m_wizard.App().Store());
    smtp.Server1 = CQvcString(m_server->text().trimmed().toStdString());
    CDialogTestEmail dialog(m_wizard.App(), smtp, this);
    dialog.Recipient().setText(m_recipient->text().trimmed());
    if (dialog.Prepare())
        m_wizard.App().Ui().ExecDialog(dialog);
}

bool CQuickPageNotify::validatePage() {
    return m_wizard.Create(m_recipient->text().trimmed(), m_server->text().trimmed());
}
