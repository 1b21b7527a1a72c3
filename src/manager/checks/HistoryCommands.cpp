#include "manager/checks/HistoryCommands.h"

#include "library/Messages.h"
#include "manager/app/CommandRegistry.h"
#include "manager/app/QMonApp.h"
#include "manager/checks/ReportCommands.h"
#include "manager/mainframe/MainFrame.h"
#include "model/checks/CheckTypes.h"
#include "model/console/CommandIds.h"
#include "model/console/HistoryGraph.h"
#include "model/settings/SnReportSettings.h"
#include "model/settings/SnStatsLimits.h"
#include "model/tree/SnNode.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// The checks to graph have more than one type: the user picks the one to draw.
class CDialogGraphType final : public QDialog {
public:
    CDialogGraphType(const std::vector<std::int32_t>& types, QWidget* parent)
        : QDialog(parent), m_types(types) {
        setWindowTitle("Create Graph");
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel("The checks have different types. Choose the type to draw:", this));
        m_chooser = new QComboBox(this);
        for (const std::int32_t type : m_types)
            m_chooser->addItem(CheckTypeName(type));
        layout->addWidget(m_chooser);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addWidget(buttons);
    }
    std::int32_t Chosen() const {
        return m_types.at(static_cast<std::size_t>(std::max(0, m_chooser->currentIndex())));
    }

private:
    std::vector<std::int32_t> m_types;
    QComboBox* m_chooser = nullptr;
};

ShowErrorFn ErrorBox(CQMonApp& app) {
    return [&app](const CQvcString& text) { app.Ui().Message(text, CUiSeam::Icon::Error); };
}

void ShowHistory(CQMonApp& app, bool detail) {
    CMainFrame* frame = app.Frame();
    if (frame == nullptr || app.Store() == nullptr || frame->List()->SelectedRows().empty())
        return;
    const std::vector<CSnNode*> nodes = frame->List()->SelectedNodes();
    if (nodes.empty()) {
        app.Ui().Message(MessageText(51490), CUiSeam::Icon::Error);
        return;
    }
    ShowCheckHistory(app.Store()->RootDirectory(), nodes.front()->Id(), detail, ErrorBox(app));
}

// The folder-graph command takes the selected folder's checks, subfolders included, when
// the tree has the focus (commands that act on a folder or on checks look at the tree
// first), else the selected checks; with neither there is nothing to graph.
bool FolderGraphChecks(CQMonApp& app, std::vector<CSnNode*>& checks) {
    CMainFrame& frame = *app.Frame();
    if (frame.Tree()->HasFocusFlag()) {
        CSnNode* folder = CSnCfg::FindNode(app.Root(), frame.Tree()->SelectedFolderId());
        if (folder != nullptr && !folder->IsFolder())
            folder = CSnCfg::FindParentFolder(app.Root(), folder->Id());
        if (folder != nullptr) {
            checks = CSnCfg::CollectChecks(folder, true);
            return true;
        }
    }
    checks = frame.List()->SelectedNodes();
    if (!checks.empty())
        return true;
    app.Ui().Message(MessageText(51732), CUiSeam::Icon::Error);
    return false;
}

// The statistics database's size test before a graph; false when no graph is drawn.
bool StatsSizeAllowsGraph(CQMonApp& app) {
    CSnReportSettings report;
    if (const long code = report.Read(*app.Store())) {
        app.ShowErrorCode(code);
        return false;
    }
    CSnStatsLimits limits;
    limits.Read();
    const CStatsSizeTest test = TestStatsDatabase(report.DbConnection, app.Store()->RootDirectory(), limits);
    using Severity = CStatsSizeTest::Severity;
    if (test.severity != Severity::None)
        app.Ui().Message(test.text, test.severity == Severity::Error     ? CUiSeam::Icon::Error
                                    : test.severity == Severity::Warning ? CUiSeam::Icon::Warning
                                                                         : CUiSeam::Icon::Information);
    return test.draw;
}

void ShowGraph(CQMonApp& app, bool folderGraph) {
    CMainFrame* frame = app.Frame();
    if (frame == nullptr || app.Store() == nullptr)
        return;
    std::vector<CSnNode*> nodes = frame->List()->SelectedNodes();
    if (folderGraph && !FolderGraphChecks(app, nodes))
        return;
    const std::vector<const CSnNode*> checks(nodes.begin(), nodes.end());
    // Dialogs follow: no timer tick may reload the nodes under them.
    const CSuspendedCycle suspended(*frame);

    const CGraphPlan plan = PlanGraph(checks);
    if (plan.message != 0) {
        app.Ui().Message(MessageText(plan.message),
                         plan.message == 51733 ? CUiSeam::Icon::Error : CUiSeam::Icon::Warning);
        return;
    }
    std::int32_t type = plan.types.front();
    if (plan.types.size() > 1) {
        CDialogGraphType dialog(plan.types, frame);
        if (app.Ui().ExecDialog(dialog) != CUiSeam::kAccepted)
            return;
        type = dialog.Chosen();
    }
    if (!StatsSizeAllowsGraph(app))
        return;
    platform::IProcessLauncher* launcher = app.GetOptions().launcher;
    LaunchGraph(app.Store()->RootDirectory(), GraphArgument(checks, type), ErrorBox(app),
                launcher != nullptr ? *launcher : platform::SystemProcessLauncher());
}

} // namespace

void RegisterHistoryCommands(CQMonApp& app, CCommandRegistry& registry) {
    registry.Add(cmd::kHistoryDetail, [&app](int) { ShowHistory(app, true); });
    registry.Add(cmd::kHistoryAvailability, [&app](int) { ShowHistory(app, false); });
    registry.Add(cmd::kShowGraph, [&app](int) { ShowGraph(app, false); });
    registry.Add(cmd::kCreateGraph, [&app](int) { ShowGraph(app, true); });
    RegisterReportCommand(app, registry);
}
