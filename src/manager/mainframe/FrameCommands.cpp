#include "manager/mainframe/FrameCommands.h"

#include "manager/app/CommandRegistry.h"
#include "manager/app/QMonApp.h"
#include "manager/app/VisualStyles.h"
#include "manager/mainframe/MainFrame.h"
#include "model/console/CommandIds.h"

#include <QStatusBar>
#include <QToolBar>

namespace {

// Runs `act` on the main window when there is one (commands can arrive before it exists
// or after it closed).
template <class Act>
CCommandRegistry::Handler OnFrame(CQMonApp& app, Act act) {
    return [&app, act](int id) {
        if (CMainFrame* frame = app.Frame())
            act(*frame, id);
    };
}

} // namespace

void RegisterFrameCommands(CQMonApp& app, CCommandRegistry& registry) {
    registry.Add(cmd::kRefresh, OnFrame(app, [](CMainFrame& frame, int) { frame.OnRefreshCommand(); }));
    registry.Add(cmd::kSelectAll, OnFrame(app, [](CMainFrame& frame, int) { frame.List()->SelectAllRows(); }));
    registry.AddRange(cmd::kColumnFirst, cmd::kColumnLast, OnFrame(app, [](CMainFrame& frame, int id) {
                          frame.List()->ToggleColumn(id - cmd::kColumnFirst);
                      }));
    registry.AddRange(cmd::kLookFirst, cmd::kLookLast,
                      OnFrame(app, [](CMainFrame& frame, int id) { frame.SetLook(LookForCommand(id)); }));
    registry.Add(cmd::kViewToolbar, OnFrame(app, [](CMainFrame& frame, int) {
                     if (QToolBar* bar = frame.ToolBar())
                         bar->setVisible(!bar->isVisible());
                 }));
    registry.Add(cmd::kViewStatusBar, OnFrame(app, [](CMainFrame& frame, int) {
                     frame.statusBar()->setVisible(!frame.statusBar()->isVisible());
                 }));
}
