#include "manager/app/QMonApp.h"

#include "library/ErrorTexts.h"
#include "library/QvcPath.h"
#include "manager/mainframe/CheckClipboard.h"
#include "manager/app/CommandCatalog.h"
#include "model/CommandIds.h"
#include "manager/service/DialogAutoRefresh.h"
#include "manager/service/DialogService.h"
#include "manager/mainframe/MainFrame.h"
#include "manager/app/VisualStyles.h"
#include "model/FileViewers.h"
#include "model/ManagerPreferences.h"
#include "model/NodeStatus.h"
#include "model/SnNode.h"
#include "platform/Registry.h"
#include "platform/System.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>

namespace {

constexpr long kFirstIncompatibleCode = 25205; // no version information
constexpr long kLastIncompatibleCode = 25207;  // created by an older version

bool Between(int id, int first, int last) { return id >= first && id <= last; }

} // namespace

CQMonApp::CQMonApp() : CQMonApp(Options()) {}

CQMonApp::CQMonApp(Options options) : CQvcBase("QMonApp"), m_options(std::move(options)) {
    m_ui.SetScripted(m_options.scriptedUi);
}

CQMonApp::~CQMonApp() { ExitInstance(); }

// --- start-up --------------------------------------------------------------------------

bool CQMonApp::InitInstance() {
    // The platform's own preparations have no counterpart here: Qt needs no registration
    // of common controls, and there is no COM apartment, COM security, OLE or ActiveX to
    // set up (the configuration component is a plain C++ object).  The OLE message
    // filter's three preferences are still read, so that a first run fills the key with
    // their defaults as it always did; nothing consults them.
    static_cast<void>(prefs::OleMsgPendingDelayMsecs());
    static_cast<void>(prefs::OleNotRespondingDlgEnabled());
    static_cast<void>(prefs::OleBusyDlgEnabled());
    ReadTracePathFromRegistry("Manager");

    // Open the configuration; an incompatible one may be replaced by the template.
    if (OpenStore() != 0) {
        ExitInstance();
        return false;
    }

    // A Manager without write permission proves later that it can still read the control
    // file by finding this value.
    m_store->Link()->MarkReadOnlyReadable();

    // The root folder, provisionally named "Loading...": the first timer tick loads the
    // whole tree into it.
    m_activityCapture = true;
    m_store->CreatePlaceholderRoot(m_root);

    // The framework's own settings store (recent files, window placement) has nothing to
    // keep here: the Manager has no document files and always opens maximised.  Nor does
    // it need the framework's empty document and view: the main window is made directly.

    // Paste is enabled by what the clipboard holds: read it again whenever it changes.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        m_clipboardRead = false;
        if (m_frame)
            m_frame->UpdateCommandStates();
    });
    m_frame = std::make_unique<CMainFrame>(*this);
    m_ui.SetParentWidget(m_frame.get());
    m_frame->setWindowTitle(kTitle);
    if (m_options.showWindow)
        m_frame->showMaximized();

    ProbeAccess();
    if (!m_readable) {
        m_ui.Message("Unable to read the configuration database (permission denied). The program will now quit.",
                     CUiSeam::Icon::Error);
        ExitInstance();
        return false;
    }
    if (m_writable)
        FirstRunSetup();
    m_frame->UpdateCommandStates();
    return true;
}

long CQMonApp::OpenStore() {
    m_store = std::make_unique<CSnCfg>("GUI", m_options.componentFactory);
    long code = m_store->Open(true, false);
    if (code == 0)
        return 0;
    ShowErrorCode(code);
    if (code < kFirstIncompatibleCode || code > kLastIncompatibleCode)
        return code;
    if (m_ui.Message("Do you want to start with a new configuration file?", CUiSeam::Icon::Question,
                     CUiSeam::Buttons::YesNo) != CUiSeam::kYes)
        return code;
    return RecoverFromTemplate();
}

long CQMonApp::RecoverFromTemplate() {
    std::string root;
    platform::RegQueryString(platform::Hive::LocalMachine, kProductKey, "Engine0Root", &root);
    const CQvcString config = PathJoin(CQvcString(root), {"Configuration", "Config.mdb"});
    const CQvcString templ = PathJoin(CQvcString(root), {"Sys", "Tpl", "Config", "Config.mdb"});
    if (!platform::FileExists(templ.Str())) {
        CQvcString text;
        text.Format("File '%s' does not exist.", templ.c_str());
        m_ui.Message(text, CUiSeam::Icon::Error);
        return -1;
    }
    // The old file stays beside the new one; an earlier copy is overwritten.  Neither
    // copy is checked: the second open tells whether the result is usable.
    CQvcString kept = config;
    kept.Replace(".mdb", ".incompatible.mdb", false);
    platform::CopyFile(config.Str(), kept.Str(), true);
    platform::CopyFile(templ.Str(), config.Str(), true);

    const long code = m_store->Open(true, false);
    if (code != 0)
        ShowErrorCode(code);
    return code;
}

void CQMonApp::ProbeAccess() {
    bool readable = false, writable = false;
    m_store->ProbeAccess(readable, writable);
    // WritePermission 0 makes a writable configuration read-only for this run.
    if (writable && prefs::ReadLong("WritePermission", "WritePermission", -1) == 0)
        writable = false;
    m_readable = readable;
    m_writable = writable;
}

void CQMonApp::FirstRunSetup() {
    CQvcString where;
    where.Format("%s >= %d AND %s <> %d", "ID", 10000, "Type", 1);
    long count = 0;
    if (m_store->CountNodes(where, count) != 0 || count != 0)
        return;
    // A configuration without checks would open the Quick Configuration Wizard here.
    // There is no wizard, so nothing changes; a first-run setup that changes the
    // configuration must afterwards call SignalConfigChanged(true, true), so that the
    // Engine and the other Managers reload.
    Trace(kTraceFile, "No checks configured yet; no first-run setup is offered\n");
}

void CQMonApp::ExitInstance() {
    m_frame.reset();
    if (m_store) {
        m_store->FreeTree(m_root);
        m_root = nullptr;
        m_store.reset(); // the store releases every node it owns
    }
}

// --- shared operations -------------------------------------------------------------------

bool CQMonApp::Loaded() const { return m_root != nullptr && m_root->Id() == CSnCfg::kRootId; }

void CQMonApp::ShowErrorCode(long code) {
    CQvcString text = ErrorText(code);
    if (text.Last() != '.')
        text += ".";
    m_ui.Message(text, CUiSeam::Icon::Error);
}

long CQMonApp::ReloadAllNodes() {
    // The views hold pointers into the tree that is about to be freed.
    if (m_frame) {
        m_frame->List()->ClearAll();
        m_frame->Tree()->Clear();
    }
    m_store->FreeTree(m_root);
    return m_store->LoadAllNodes(m_root);
}

void CQMonApp::ReloadAndRebuild() {
    ReloadAllNodes();
    if (!m_frame)
        return;
    m_frame->RebuildTree();
    // The reloaded nodes have no results yet.
    if (CSnIPC* link = m_store->Link())
        link->LoadResults(m_root);
    m_frame->List()->Refresh();
}

int CQMonApp::CopiedCount() const {
    if (!m_clipboardRead) {
        m_clipboardRead = true;
        m_clipboardIds.clear();
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        if (mime != nullptr && mime->hasFormat(kCheckClipboardMime)) {
            const QByteArray block = mime->data(kCheckClipboardMime);
            m_clipboardIds = ParseCheckClipboard(std::string_view(block.constData(), block.size()));
        }
    }
    if (m_clipboardIds.empty() || m_root == nullptr)
        return 0;
    // Every copied check must still exist, or the clipboard holds none.
    for (const long id : m_clipboardIds)
        if (CSnCfg::FindNode(m_root, id) == nullptr)
            return 0;
    return static_cast<int>(m_clipboardIds.size());
}

void CQMonApp::OnServiceRunning() { m_serviceState.OnRunning(); }

void CQMonApp::OnServiceStopped() { m_serviceState.OnStopped(m_writable); }

void CQMonApp::OpenServiceDialog(bool startWhenOpened) {
    const CQvcString computer = m_store ? m_store->EngineName() : CQvcString();
    CDialogService dialog(m_ui, computer, m_frame.get());
    dialog.SetStartWhenOpened(startWhenOpened);
    dialog.Open();
    m_ui.ExecDialog(dialog);
}

void CQMonApp::OpenAutoRefreshDialog() {
    CSnAutoRefreshSettings settings;
    settings.Read();
    CDialogAutoRefresh dialog(m_ui, settings, m_frame.get());
    if (m_ui.ExecDialog(dialog) != CUiSeam::kAccepted)
        return;
    dialog.Settings().Write();
    if (m_frame)
        m_frame->Cycle().ReadRefreshSettings();
}

platform::IProcessLauncher& CQMonApp::Launcher() const {
    return m_options.launcher != nullptr ? *m_options.launcher : platform::SystemProcessLauncher();
}

void CQMonApp::ShowError(const CQvcString& text) { m_ui.Message(text, CUiSeam::Icon::Error); }

int CQMonApp::ShowLogFile() {
    if (!m_store)
        return -1;
    return ::ShowLogFile(*m_store, [this](const CQvcString& text) { ShowError(text); }, Launcher());
}

int CQMonApp::ViewInTextViewer(const CQvcString& file) {
    return ::ViewInTextViewer(file, [this](const CQvcString& text) { ShowError(text); }, Launcher());
}

// --- commands ----------------------------------------------------------------------------

CQMonApp::CommandState CQMonApp::QueryCommand(int id) const {
    CommandState state;
    const bool loaded = Loaded();
    const bool writable = m_writable;
    const bool changeable = loaded && writable;
    CViewList* list = m_frame ? m_frame->List() : nullptr;
    CViewTree* tree = m_frame ? m_frame->Tree() : nullptr;
    const std::vector<CSnNode*> selected = list != nullptr ? list->SelectedNodes() : std::vector<CSnNode*>();
    const int sel = static_cast<int>(selected.size());
    const bool folderFocus = tree != nullptr && tree->HasFocusFlag();

    if (LookForCommand(id) != 0) {
        state.enabled = state.checkable = true;
        state.checked = m_frame && CommandForLook(m_frame->Look()) == id;
        return state;
    }
    if (Between(id, cmd::kColumnFirst, cmd::kColumnLast)) {
        state.enabled = state.checkable = true;
        state.checked = list != nullptr && list->ColumnWidth(id - cmd::kColumnFirst) > 0;
        return state;
    }
    switch (id) {
    case cmd::kNewConfiguration:
    case cmd::kImportConfiguration:
    case cmd::kExportConfiguration:
    case cmd::kConnect:
    case cmd::kService:
    case cmd::kDependencies:
    case cmd::kMaintenance:
    case cmd::kTemplates:
    case cmd::kWebInterfaceSettings:
    case cmd::kDiagnostics:
    case cmd::kNotificationSettings:
    case cmd::kOptions:
    case cmd::kQuickConfiguration:
    case cmd::kNewCheck:
    case cmd::kNewVBScriptCheck:
    case cmd::kNewPowerShellCheck:
    case cmd::kNewSshCheck:
    case cmd::kNewFolder:
    case cmd::kRename:
    case cmd::kCreateGraph:
        state.enabled = changeable;
        break;
    case cmd::kWebInterface:
    case cmd::kMonitorFolderNow:
    case cmd::kReports:
    case cmd::kSelectAll:
        state.enabled = loaded;
        break;
    case cmd::kRemoteInstallation:
        state.enabled = m_store && m_store->ServerValue() != 0 && changeable;
        break;
    case cmd::kReadOnly:
        state.enabled = loaded;
        state.checkable = true;
        state.checked = !writable;
        break;
    case cmd::kHold: {
        state.enabled = changeable && sel > 0;
        state.checkable = true;
        bool all = loaded && sel > 0;
        for (const CSnNode* node : selected)
            all = all && node->Cfg.OnHold != 0;
        state.checked = all;
        break;
    }
    case cmd::kClearFailure:
        state.enabled = changeable && sel > 0 && (sel != 1 || IsErrorLike(selected.front()->Result.Status));
        break;
    case cmd::kCopy:
        state.enabled = changeable && sel > 0;
        break;
    case cmd::kPasteChecks:
        state.enabled = changeable && CopiedCount() >= 1;
        break;
    case cmd::kPasteProperties:
        state.enabled = changeable && (sel > 0 || folderFocus) && CopiedCount() == 1;
        break;
    case cmd::kProperties:
        state.enabled = changeable && (folderFocus || sel == 1);
        break;
    case cmd::kMonitorSelectedNow:
        state.enabled = loaded && sel > 0;
        break;
    case cmd::kDelete:
        state.enabled = changeable && (folderFocus || sel > 0);
        break;
    case cmd::kHistoryDetail:
    case cmd::kHistoryAvailability:
    case cmd::kShowGraph:
        state.enabled = changeable && sel == 1;
        break;
    case cmd::kCaptureActivity:
        state.enabled = state.checkable = true;
        state.checked = m_activityCapture;
        break;
    case cmd::kShowLogFile:
    case cmd::kAutoRefreshSettings:
    case cmd::kRefresh:
    case cmd::kHelpTopics:
    case cmd::kSupportSite:
    case cmd::kAbout:
    case cmd::kExit:
        state.enabled = true;
        break;
    case cmd::kViewToolbar:
    case cmd::kViewStatusBar:
        state.enabled = state.checkable = true;
        break;
    default:
        // Cut and Customize the Toolbar have no handler and stay greyed.
        break;
    }
    return state;
}

void CQMonApp::OnCommand(int id) {
    if (const int look = LookForCommand(id)) {
        if (m_frame)
            m_frame->SetLook(look);
        return;
    }
    if (Between(id, cmd::kColumnFirst, cmd::kColumnLast)) {
        if (m_frame)
            m_frame->List()->ToggleColumn(id - cmd::kColumnFirst);
        return;
    }
    switch (id) {
    case cmd::kCustomizeToolbar:
        return; // always greyed; nothing to do
    case cmd::kRefresh:
        if (m_frame)
            m_frame->OnRefreshCommand();
        return;
    case cmd::kSelectAll:
        if (m_frame)
            m_frame->List()->SelectAllRows();
        return;
    case cmd::kCaptureActivity:
        m_activityCapture = !m_activityCapture;
        return;
    case cmd::kService:
        OpenServiceDialog(false);
        return;
    case cmd::kAutoRefreshSettings:
        OpenAutoRefreshDialog();
        return;
    case cmd::kShowLogFile:
        ShowLogFile();
        return;
    case cmd::kServiceRunning:
        OnServiceRunning();
        return;
    case cmd::kServiceStopped:
        OnServiceStopped();
        return;
    case cmd::kViewToolbar:
        if (m_frame && m_frame->ToolBar())
            m_frame->ToolBar()->setVisible(!m_frame->ToolBar()->isVisible());
        return;
    case cmd::kViewStatusBar:
        if (m_frame)
            m_frame->statusBar()->setVisible(!m_frame->statusBar()->isVisible());
        return;
    case cmd::kAbout: {
        CQvcString text;
        text.Format("%s\nVersion %s\n\nThe console of the Sentrelle network-monitoring system.", kTitle,
                    SENTRELLE_MANAGER_VERSION);
        m_ui.Message(text, CUiSeam::Icon::Information);
        return;
    }
    case cmd::kExit:
        if (m_frame)
            m_frame->close();
        return;
    default:
        NotImplemented(id);
        return;
    }
}

void CQMonApp::NotImplemented(int id) {
    Trace(kTraceFile, "command %d not implemented yet\n", id);
    m_unhandled.push_back(id);
    if (!m_frame)
        return;
    QString what = QString("Command %1").arg(id);
    if (const CCommandInfo* info = CommandInfo(id)) {
        what = QString::fromUtf8(info->text).remove('&');
        if (what.endsWith("..."))
            what.chop(3);
    }
    m_frame->ShowStatus(QString("%1: not available in this version yet").arg(what));
}
