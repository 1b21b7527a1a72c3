#include "manager/mainframe/MainFrame.h"

#include "manager/app/CommandCatalog.h"
#include "model/console/CommandIds.h"
#include "manager/mainframe/FrameRefreshHost.h"
#include "manager/app/GuiPostSink.h"
#include "manager/app/QMonApp.h"
#include "manager/app/VisualStyles.h"
#include "manager/app/WaitCursor.h"
#include "model/console/ManagerPreferences.h"
#include "model/console/FrameClosing.h"
#include "model/store/SnCfg.h"
#include "model/service/ThreadCheckService.h"
#include "platform/System.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace {

// The tooltip of a toolbar button: the menu text without its mnemonic and ellipsis.
QString ButtonTip(const char* text) {
    QString tip = QString::fromUtf8(text);
    tip.remove('&');
    if (tip.endsWith("..."))
        tip.chop(3);
    return tip;
}

} // namespace

CMainFrame::CMainFrame(CQMonApp& app)
    : CQvcBase("MainFrame"), m_app(app), m_lookGroup(nullptr), m_outer(Qt::Vertical), m_inner(Qt::Horizontal),
      m_tree(app, m_images), m_list(app, m_images), m_log(app) {
    ReadTracePathFromRegistry("Manager");
    setObjectName("mainFrame");
    setWindowTitle(CQMonApp::kTitle);
    setWindowIcon(QIcon(":/sentrelle-manager.svg"));
    // The size the window takes when the user restores it from maximised.
    resize(1200, 760);

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    m_look = NormaliseLook(prefs::AppLook());
    ApplyLook(m_look);
    CreatePanes();

    m_host = std::make_unique<CFrameRefreshHost>(app, *this);
    m_cycle = std::make_unique<CSnRefreshCycle>(*m_host, app.GetOptions().cycleTicks, app.GetOptions().cycleSeconds);
    m_cycle->ReadTracePathFromRegistry("Manager");
    m_cycle->ReadRefreshSettings();
    // The watcher's reports arrive as menu commands would.
    m_sink = std::make_unique<CGuiPostSink>([this](const QvcMessage& message) {
        if (message.message != kQvcCommandMessage)
            return;
        m_app.OnCommand(static_cast<int>(message.wparam));
        UpdateCommandStates();
    });

    m_timer.setObjectName("refreshTimer");
    m_timer.setInterval(prefs::MfTimerMsecs());
    connect(&m_timer, &QTimer::timeout, this, &CMainFrame::OnTimerTick);
    m_timer.start();
    UpdateCommandStates();
}

CMainFrame::~CMainFrame() {
    m_timer.stop();
    if (m_watcher) {
        StopWorkerForClosing(*m_watcher);
        m_watcher.reset();
    }
    m_sink->Close();
}

// --- creation ----------------------------------------------------------------------------

void CMainFrame::CreateActions() {
    m_lookGroup.setExclusive(true);
    for (const CCommandInfo& info : AllCommands()) {
        auto action = std::make_unique<QAction>(QString::fromUtf8(info.text));
        action->setData(info.id);
        action->setObjectName(QString("command%1").arg(info.id));
        if (*info.shortcut)
            action->setShortcut(QKeySequence(QString::fromUtf8(info.shortcut)));
        action->setStatusTip(QString::fromUtf8(info.tip));
        action->setToolTip(ButtonTip(info.text));
        if (*info.icon)
            action->setIcon(QIcon(QString(":/icons/%1.svg").arg(info.icon)));
        if (LookForCommand(info.id) != 0) {
            action->setCheckable(true);
            m_lookGroup.addAction(action.get());
        }
        const int id = info.id;
        connect(action.get(), &QAction::triggered, this, [this, id] {
            m_app.OnCommand(id);
            UpdateCommandStates();
        });
        addAction(action.get()); // shortcuts work whether or not a menu shows the action
        m_actions.emplace(id, std::move(action));
    }
}

QAction* CMainFrame::Action(int id) const {
    const auto it = m_actions.find(id);
    return it != m_actions.end() ? it->second.get() : nullptr;
}

void CMainFrame::AddToMenu(QMenu* menu, std::initializer_list<int> ids) {
    for (const int id : ids) {
        if (id == 0)
            menu->addSeparator();
        else if (QAction* action = Action(id))
            menu->addAction(action);
    }
}

void CMainFrame::CreateMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu("&File");
    AddToMenu(file, {cmd::kNewConfiguration, cmd::kImportConfiguration, cmd::kExportConfiguration, 0,
                     cmd::kConnect, cmd::kReadOnly, 0, cmd::kExit});

    QMenu* edit = bar->addMenu("&Edit");
    AddToMenu(edit, {cmd::kCut, cmd::kCopy, cmd::kPasteChecks, cmd::kPasteProperties, 0, cmd::kDelete,
                     cmd::kRename, 0, cmd::kSelectAll});

    QMenu* view = bar->addMenu("&View");
    AddToMenu(view, {cmd::kViewToolbar, cmd::kViewStatusBar, 0});
    QMenu* look = view->addMenu("Application &Look");
    AddToMenu(look, {30, 31, 32, 33, 34, 35, 36, 37, 0, cmd::kCustomizeToolbar});
    QMenu* columns = view->addMenu("&Columns");
    for (int id = cmd::kColumnFirst; id <= cmd::kColumnLast; ++id)
        AddToMenu(columns, {id});
    AddToMenu(view, {0, cmd::kCaptureActivity, cmd::kShowLogFile, 0, cmd::kAutoRefreshSettings, cmd::kRefresh});

    QMenu* checks = bar->addMenu("&Checks");
    AddToMenu(checks, {cmd::kNewCheck, cmd::kNewVBScriptCheck, cmd::kNewPowerShellCheck, cmd::kNewSshCheck,
                       cmd::kNewFolder, 0});
    QMenu* monitor = checks->addMenu("&Monitor Now");
    monitor->setIcon(QIcon(":/icons/monitor-now.svg"));
    AddToMenu(monitor, {cmd::kMonitorSelectedNow, cmd::kMonitorFolderNow});
    AddToMenu(checks, {0, cmd::kHold, cmd::kClearFailure, 0, cmd::kHistoryDetail, cmd::kHistoryAvailability,
                       cmd::kShowGraph, 0, cmd::kProperties});

    QMenu* tools = bar->addMenu("&Tools");
    AddToMenu(tools, {cmd::kService, 0, cmd::kDependencies, cmd::kMaintenance, cmd::kTemplates, 0,
                      cmd::kNotificationSettings, cmd::kOptions, 0, cmd::kReports, cmd::kCreateGraph, 0,
                      cmd::kWebInterface, cmd::kWebInterfaceSettings, cmd::kRemoteInstallation,
                      cmd::kDiagnostics, 0, cmd::kQuickConfiguration});

    QMenu* help = bar->addMenu("&Help");
    AddToMenu(help, {cmd::kHelpTopics, cmd::kSupportSite, 0, cmd::kAbout});

    // Menus show the current rules whenever they open.
    for (QMenu* menu : {file, edit, view, look, columns, checks, monitor, tools, help})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
}

void CMainFrame::CreateToolBar() {
    m_toolbar = addToolBar("Toolbar");
    m_toolbar->setObjectName("toolbar");
    m_toolbar->setIconSize(QSize(24, 24));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setMovable(true);
    m_toolbar->setFloatable(true);
    for (const int id : ToolbarLayout()) {
        if (id == 0)
            m_toolbar->addSeparator();
        else if (QAction* action = Action(id))
            m_toolbar->addAction(action);
    }
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("statusBar");
    m_message.setText("Ready");
    m_message.setObjectName("statusMessage");
    m_checkCount.setObjectName("statusChecks");
    m_access.setObjectName("statusAccess");
    m_checkCount.setContentsMargins(8, 0, 8, 0);
    m_access.setContentsMargins(8, 0, 8, 0);
    bar->addWidget(&m_message, 1);
    bar->addPermanentWidget(&m_checkCount);
    bar->addPermanentWidget(&m_access);
}

void CMainFrame::CreatePanes() {
    m_tree.SetList(&m_list);
    m_inner.setObjectName("innerSplitter");
    m_outer.setObjectName("outerSplitter");
    m_inner.addWidget(&m_tree);
    m_inner.addWidget(&m_list);
    m_inner.setChildrenCollapsible(false);
    m_outer.addWidget(&m_inner);
    m_outer.addWidget(&m_log);
    m_outer.setChildrenCollapsible(false);
    m_outer.setStretchFactor(0, 3);
    m_outer.setStretchFactor(1, 2);
    m_inner.setStretchFactor(0, 1);
    m_inner.setStretchFactor(1, 3);
    setCentralWidget(&m_outer);
    connect(&m_outer, &QSplitter::splitterMoved, this, [this] { m_splitMoved = true; });
    connect(&m_inner, &QSplitter::splitterMoved, this, [this] { m_splitMoved = true; });
    connect(&m_list, &CViewList::ContentChanged, this, &CMainFrame::UpdateCommandStates);
    PlaceSplitters();
    // The tree's first display: the root as it is now ("Loading..." until the first tick).
    m_tree.Rebuild();
    m_tree.setFocus(Qt::OtherFocusReason);
}

void CMainFrame::PlaceSplitters() {
    // The tree and list get 60 % of the height, the activity view the rest; the tree a
    // quarter of the width.
    const int height = std::max(m_outer.height(), 100);
    const int width = std::max(m_inner.width(), 100);
    m_outer.setSizes({height * 3 / 5, height - height * 3 / 5});
    m_inner.setSizes({width / 4, width - width / 4});
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!m_splitMoved)
        PlaceSplitters();
}

// --- command states ----------------------------------------------------------------------

void CMainFrame::UpdateCommandStates() {
    const CCommandSnapshot snapshot = m_app.CommandSnapshot();
    for (const auto& [id, action] : m_actions) {
        const CQMonApp::CommandState state = m_app.QueryCommand(id, snapshot);
        action->setEnabled(state.enabled);
        action->setCheckable(state.checkable);
        if (state.checkable)
            action->setChecked(state.checked);
    }
    UpdateStatusPanes();
}

void CMainFrame::UpdateStatusPanes() {
    const int rows = m_list.RowCount();
    m_checkCount.setText(rows == 0 ? QString("No checks") : rows == 1 ? QString("1 check")
                                                                       : QString("%1 checks").arg(rows));
    m_access.setText(m_app.Writable() ? QString("Writable") : QString("Read-only"));
    m_access.setToolTip(m_app.Writable() ? QString("You can change the configuration")
                                         : QString("You can look at the configuration but not change it"));
}

// --- visual style --------------------------------------------------------------------------

void CMainFrame::SetLook(int look) {
    m_look = NormaliseLook(look);
    ApplyLook(m_look);
    prefs::WriteAppLook(m_look);
    UpdateCommandStates();
}

// --- refresh cycle ---------------------------------------------------------------------------

void CMainFrame::PostTimerTick() {
    if (m_tickPosted)
        return;
    m_tickPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_tickPosted = false;
            OnTimerTick();
        },
        Qt::QueuedConnection);
}

void CMainFrame::OnTimerTick() {
    // The access probe passes the writable flag as start-up found it, and the read-only
    // command may change it since.
    m_cycle->SetAccess(m_app.Writable(), CQvcString(platform::ComputerName()));
    m_cycle->Tick();
}

void CMainFrame::StartServiceWatch() {
    if (!m_app.GetOptions().watchService || m_watcher || m_app.Store() == nullptr)
        return;
    m_watcher = std::make_unique<CThreadCheckService>();
    m_watcher->SetWindow(m_sink.get());
    m_watcher->SetComputerName(m_app.Store()->EngineName());
    m_watcher->SetServiceName(ISnServiceControl::kEngineServiceName);
    m_watcher->SetServiceControl(MakeServiceControl(m_app.GetOptions().serviceControl));
    m_watcher->SetStartDelay(m_app.GetOptions().watchStartDelay);
    m_watcher->Start(0);
}

void CMainFrame::OnRefreshCommand() { m_cycle->Refresh(); }

void CMainFrame::RebuildTree() { m_tree.Rebuild(); }

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        PostTimerTick();
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    m_timer.stop();
    if (m_watcher && m_watcher->State() != kThreadStopped)
        StopWorkerForClosing(*m_watcher);
    m_closed = true;
    event->accept();
}
