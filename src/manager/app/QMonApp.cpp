#include "manager/app/QMonApp.h"

#include "library/ErrorTexts.h"
#include "library/QvcPath.h"
#include "manager/mainframe/CheckClipboard.h"
#include "manager/app/AppCommands.h"
#include "manager/app/VisualStyles.h"
#include "manager/checks/types/TypeDialogs.h"
#include "manager/checks/CheckCommands.h"
#include "manager/checks/CheckStateCommands.h"
#include "manager/checks/ScheduleCommands.h"
#include "manager/notify/NotifyCommands.h"
#include "manager/checks/DialogDependencies.h"
#include "manager/checks/PasteCommands.h"
#include "manager/checks/HistoryCommands.h"
#include "manager/checks/FolderCommands.h"
#include "manager/mainframe/FrameCommands.h"
#include "manager/mainframe/MainFrame.h"
#include "manager/service/ServiceCommands.h"
#include "manager/settings/OptionsCommands.h"
#include "manager/wizards/ConfigurationWizards.h"
#include "manager/wizards/QuickConfigWizard.h"
#include "model/console/CommandIds.h"
#include "model/console/FileViewers.h"
#include "model/console/ManagerPreferences.h"
#include "model/tree/NodeStatus.h"
#include "model/tree/SnNode.h"
#include "platform/Registry.h"
#include "platform/System.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>

#include <cstdint>

namespace {

constexpr long kFirstIncompatibleCode = 25205; // no version information
constexpr long kLastIncompatibleCode = 25207;  // created by an older version

} // namespace

CQMonApp::CQMonApp() : CQMonApp(Options()) {}

CQMonApp::CQMonApp(Options options) : CQvcBase("QMonApp"), m_options(std::move(options)) {
    m_ui.SetScripted(m_options.scriptedUi);
    // Each folder of the Manager registers the commands it handles.
    RegisterAppCommands(*this, m_commands);
    RegisterFrameCommands(*this, m_commands);
    RegisterServiceCommands(*this, m_commands);
    RegisterTypeDialogs(m_checkDialogs);
    RegisterCheckCommands(*this, m_commands);
    RegisterCheckStateCommands(*this, m_commands);
    RegisterFolderCommands(*this, m_commands);
    RegisterScheduleDialogs(*this, m_checkDialogs, m_commands);
    RegisterNotifyCommands(*this, m_commands);
    RegisterDependencyDialogs(*this, m_checkDialogs, m_commands);
    RegisterPasteCommands(*this, m_commands);
    RegisterHistoryCommands(*this, m_commands);
    RegisterOptionsCommands(*this, m_commands);
    RegisterConfigurationCommands(*this, m_commands);
    RegisterQuickConfigCommands(*this, m_commands);
}

CQMonApp::~CQMonApp() { ExitInstance(); }

// --- start-up --------------------------------------------------------------------------

bool CQMonApp::InitInstance() {
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

CCommandSnapshot CQMonApp::CommandSnapshot() const {
    CCommandSnapshot s;
    s.loaded = Loaded();
    s.writable = m_writable;
    s.copied = CopiedCount();
    s.serverValue = m_store ? m_store->ServerValue() : 0;
    s.activityCapture = m_activityCapture;
    if (!m_frame)
        return s;
    s.treeFocus = m_frame->Tree()->HasFocusFlag();
    const std::vector<CSnNode*> selected = m_frame->List()->SelectedNodes();
    s.selected = static_cast<int>(selected.size());
    s.allSelectedOnHold = !selected.empty();
    for (const CSnNode* node : selected)
        s.allSelectedOnHold = s.allSelectedOnHold && node->Cfg.OnHold != 0;
    s.singleSelectedClearable = selected.size() == 1 && IsErrorLike(selected.front()->Result.Status);
    s.lookCommand = CommandForLook(m_frame->Look());
    for (int column = 0; column <= cmd::kColumnLast - cmd::kColumnFirst; ++column)
        if (m_frame->List()->ColumnWidth(column) > 0)
            s.shownColumns |= std::uint32_t{1} << column;
    s.toolbarShown = m_frame->ToolBar() != nullptr && m_frame->ToolBar()->isVisibleTo(m_frame.get());
    s.statusBarShown = m_frame->statusBar()->isVisibleTo(m_frame.get());
    return s;
}

CQMonApp::CommandState CQMonApp::QueryCommand(int id) const { return QueryCommand(id, CommandSnapshot()); }

CQMonApp::CommandState CQMonApp::QueryCommand(int id, const CCommandSnapshot& snapshot) const {
    CommandState state = CommandRule(id, snapshot);
    // A command that nothing handles is never offered.
    if (!m_commands.Has(id))
        state.enabled = false;
    return state;
}

void CQMonApp::OnCommand(int id) {
    if (!m_commands.Run(id))
        Trace(kTraceFile, "command %d has no handler\n", id);
}
